// The desktop front end on the offscreen platform: whole runs with their
// dialogs answered by clicking, stop, export and log.
#include "host/gui/MainWindow.h"
#include "host/runtime/BackendSelection.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/ModuleLoader.h"
#include "host/runtime/TestRunner.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {
// Clicks through the dialogs that come up: each entry names the button
// ("acceptButton" or "declineButton") for the next dialog, and the dialog's
// title, text and button labels are kept.
class DialogClicker : public QObject
{
public:
    explicit DialogClicker(QStringList buttons) : m_buttons(std::move(buttons))
    {
        connect(&m_timer, &QTimer::timeout, this, [this]() { poll(); });
        m_timer.start(20);
    }
    QStringList seen;

private:
    void poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box == m_last)
            return;
        m_last = box;
        auto* accept = box->findChild<QPushButton*>("acceptButton");
        auto* decline = box->findChild<QPushButton*>("declineButton");
        seen << box->windowTitle() + "|" + box->text() + "|" + accept->text() + "/" +
                    decline->text();
        const QString button =
            m_buttons.isEmpty() ? QString("declineButton") : m_buttons.takeFirst();
        QTimer::singleShot(0, box,
                           [box, button]() { box->findChild<QPushButton*>(button)->click(); });
    }
    QStringList m_buttons;
    QTimer m_timer;
    QPointer<QMessageBox> m_last;
};
} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_translator.load());
        std::string error;
        QVERIFY2(m_loader.load(qEnvironmentVariable("HOST_FAKE_MODULE").toStdString(), &error),
                 error.c_str());
        m_catalogue = std::make_unique<ModuleCatalogue>(m_loader.instance());
    }

    void wholeRunWithScriptedDialogs()
    {
        MainWindow window(m_catalogue.get(), &m_translator, {});
        window.show();
        QCOMPARE(int(window.devices().size()), 2);
        auto* devices = window.findChild<QTreeWidget*>("deviceTree");
        QCOMPARE(devices->topLevelItem(1)->text(1), QString("Generic display"));
        QCOMPARE(devices->topLevelItem(1)->child(2)->text(1), QString("Digital"));

        window.selectTests({"p", "a"});
        DialogClicker clicker({"acceptButton", "acceptButton", "acceptButton", "declineButton"});
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QTest::mouseClick(window.findChild<QPushButton*>("runButton"), Qt::LeftButton);
        QVERIFY(finished.wait(30000));

        const auto& records = window.runner()->records();
        QCOMPARE(int(records.size()), 4);
        QCOMPARE(records[1].result, 0u); // dpy1 attended: continue, yes
        QCOMPARE(records[3].result, 1u); // dpy2 attended: continue, no
        QCOMPARE(clicker.seen, QStringList({"FAKE_TEST_2|FAKE_CONFIRM|Continue/Cancel",
                                            "FAKE_TEST_2|FAKE_CHECK|Yes/No",
                                            "FAKE_TEST_2|FAKE_CONFIRM|Continue/Cancel",
                                            "FAKE_TEST_2|FAKE_CHECK|Yes/No"}));
        auto* results = window.findChild<QTreeWidget*>("results");
        QCOMPARE(results->topLevelItem(2)->text(3), QString("Failed"));
        QCOMPARE(results->topLevelItem(0)->child(0)->text(1), QString("FAKE_PASSED."));

        QTemporaryDir dir;
        QVERIFY(window.exportJson(dir.filePath("results.json")));
        QFile json(dir.filePath("results.json"));
        QVERIFY(json.open(QIODevice::ReadOnly));
        const QJsonArray runs = QJsonDocument::fromJson(json.readAll()).object()["runs"].toArray();
        QCOMPARE(runs.size(), 4);
        QCOMPARE(runs[3].toObject()["resultName"].toString(), QString("Failed"));
        QVERIFY(window.saveLog(dir.filePath("log.txt")));
        QFile log(dir.filePath("log.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("dpy2: FAKE_TEST_2: Failed"));
        QVERIFY(!window.saveLog("/nonexistent/dir/log.txt"));
    }

    void cancelAbortsAndStopEndsTheRun()
    {
        MainWindow window(m_catalogue.get(), &m_translator, {});
        window.show();
        window.selectTests({"a"});
        DialogClicker clicker({"declineButton", "declineButton"});
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QVERIFY(window.startRun());
        QVERIFY(finished.wait(30000));
        QCOMPARE(int(window.runner()->records().size()), 2);
        QCOMPARE(window.runner()->records()[0].result, 4u);
        QCOMPARE(window.runner()->records()[1].result, 4u);
        QCOMPARE(clicker.seen.size(), 2);

        window.selectTests({"w"});
        QVERIFY(window.startRun());
        QTimer::singleShot(300, &window, [&window]() {
            QTest::mouseClick(window.findChild<QPushButton*>("stopButton"), Qt::LeftButton);
        });
        QVERIFY(finished.wait(30000));
        QCOMPARE(int(window.runner()->records().size()), 1);
        QCOMPARE(window.runner()->records()[0].result, 4u);
    }

    void settingsErrorsRunNothing()
    {
        MainWindow window(m_catalogue.get(), &m_translator, {{"CSAT", {{"FAKE_LIMIT", "x"}}}});
        window.show();
        window.selectTests({"s"});
        QTimer::singleShot(100, []() {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->accept();
        });
        QVERIFY(!window.startRun());
        QVERIFY(window.logText().contains("invalid stoi argument"));
        QVERIFY(!window.runner()->isRunning());
    }

    void wholeRunOfTheDisplayModuleOnTheOfficeDesk()
    {
        const QString binary = qEnvironmentVariable("MODULE_DISPLAY_BINARY_DIR");
        const QString desk =
            qEnvironmentVariable("MODULE_DISPLAY_SOURCE_DIR") + "/examples/desks/office.json";
        ModuleLoader loader;
        std::string error;
        if (!loader.load((binary + "/lib/libmodule_display.so").toStdString(), &error) ||
            !QFile::exists(desk))
            QSKIP("the display module or its example desks are not complete yet");
        QVERIFY2(BackendSelection::install("sim:" + desk.toStdString(), nullptr, &error),
                 error.c_str());
        ModuleCatalogue catalogue(loader.instance());
        {
            // Zero time-outs: every pattern window ends as soon as it shows.
            MainWindow window(&catalogue, &m_translator, {{"CSAT", {{"CSAT_TEST_TIMEOUT", "0"}}}});
            window.show();
            QCOMPARE(int(window.devices().size()), 2);
            window.selectTests({"r", "f"});
            DialogClicker clicker(
                {"acceptButton", "acceptButton", "acceptButton", "declineButton"});
            QSignalSpy finished(&window, &MainWindow::runFinished);
            QVERIFY(window.startRun());
            QVERIFY(finished.wait(60000));
            const auto& records = window.runner()->records();
            QCOMPARE(int(records.size()), 4);
            QCOMPARE(records[0].result, 0u); // red purity on dpy1: continue, yes
            QCOMPARE(records[2].result, 1u); // red purity on dpy2: continue, no
            QCOMPARE(records[2].messages.front(), std::string("DISPLAY_ATTENDED_TEST_FAILED"));
            QCOMPARE(clicker.seen.first(),
                     QString("Red purity test|%1|Continue/Cancel")
                         .arg(m_translator.text("DISPLAY_RED_PURITY_DESCRIPTION")));
            QCOMPARE(clicker.seen.at(1),
                     QString("Red purity test|%1|Yes/No")
                         .arg(m_translator.text("DISPLAY_GENERAL_PURITY_CHECK")));
        }
        loader.release();
    }

private:
    KeyTranslator m_translator;
    ModuleLoader m_loader;
    std::unique_ptr<ModuleCatalogue> m_catalogue;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
