// The desktop front end with the display module on the office desk: a whole
// run on the offscreen platform with its dialogs answered by clicking, and,
// under Xvfb, a screenshot for a person to look at and real key presses.
#include "host/gui/MainWindow.h"
#include "host/runtime/BackendSelection.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/ModuleLoader.h"
#include "host/runtime/TestRunner.h"
#include "host/runtime/WindowEventFilter.h"

#include <QtTest>
#include <QtWidgets>

namespace {
// Clicks the named button ("acceptButton" or "declineButton") of each dialog
// that comes up, in order, and keeps its title, text and button labels.
struct DialogClicker : QObject
{
    explicit DialogClicker(QStringList buttons) : m_buttons(std::move(buttons))
    {
        connect(&m_timer, &QTimer::timeout, this, [this]() {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            const auto button = [box](const QString& name) {
                return box->findChild<QPushButton*>(name);
            };
            seen << box->windowTitle() + "|" + box->text() + "|" + button("acceptButton")->text() +
                        "/" + button("declineButton")->text();
            const QString name = m_buttons.isEmpty() ? "declineButton" : m_buttons.takeFirst();
            button(name)->click(); // hides the box at once
        });
        m_timer.start(20);
    }
    QStringList seen;
    QStringList m_buttons;
    QTimer m_timer;
};

// Stands in for a test window: records what reaches its KeyPressed slot and
// which keys its own handler still sees.
class KeyRecordingWindow : public QDialog
{
    Q_OBJECT

public:
    QList<int> forwarded, ownKeys;
    Q_SLOT void KeyPressed(int keycode) { forwarded << keycode; }
    void keyPressEvent(QKeyEvent* event) override { ownKeys << event->key(); }
};
} // namespace

class GuiTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_translator.load());
        std::string error; // the library from the build; the tests run in the source folder
        QVERIFY2(m_loader.load(ModuleLoader::defaultPath(), &error) &&
                     BackendSelection::install("sim:examples/desks/office.json", nullptr, &error),
                 error.c_str());
        m_catalogue.reset(new ModuleCatalogue(m_loader.instance()));
    }

    void wholeRunWithScriptedDialogs()
    {
        MainWindow window(m_catalogue.get(), &m_translator,
                          {{"CSAT", {{"CSAT_TEST_TIMEOUT", "0"}}}});
        window.show();
        QCOMPARE(window.findChild<QTreeWidget*>("deviceTree")->topLevelItem(1)->child(8)->text(1),
                 QString("Analog"));
        window.selectTests({"r", "f"});
        DialogClicker clicker({"acceptButton", "acceptButton", "acceptButton", "declineButton"});
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QTest::mouseClick(window.findChild<QPushButton*>("runButton"), Qt::LeftButton);
        QVERIFY(finished.wait(60000));
        QCOMPARE(
            clicker.seen.mid(0, 2),
            QStringList({"Red purity test|" + m_translator.text("DISPLAY_RED_PURITY_DESCRIPTION") +
                             "|Continue/Cancel",
                         "Red purity test|" + m_translator.text("DISPLAY_GENERAL_PURITY_CHECK") +
                             "|Yes/No"}));
        // Red purity passes on dpy1 (continue, yes) and fails on dpy2 (continue, no).
        QTemporaryDir dir;
        QFile json(dir.filePath("results.json"));
        QVERIFY(window.exportJson(json.fileName()) && json.open(QIODevice::ReadOnly));
        QStringList results;
        for (const QJsonValue run : QJsonDocument::fromJson(json.readAll())["runs"].toArray())
            results << run["resultName"].toString();
        QCOMPARE(results, QStringList({"Passed", "Passed", "Failed", "Passed"}));
        QVERIFY(window.saveLog(dir.filePath("log.txt")));
        QVERIFY(window.logText().contains("dpy2: Red purity test: Failed"));
    }

    // Stop ends the pattern window's wait and starts no further test.
    void stopEndsTheRun()
    {
        MainWindow window(m_catalogue.get(), &m_translator,
                          {{"CSAT", {{"CSAT_TEST_TIMEOUT", "30"}}}});
        window.show();
        window.selectTests({"r"});
        DialogClicker accept({"acceptButton"});
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QVERIFY(window.startRun());
        QTimer::singleShot(1000, &window, [&window]() { window.stopRun(); });
        QVERIFY(finished.wait(20000));
        QCOMPARE(int(window.runner()->records().size()), 1);
        QCOMPARE(window.runner()->records()[0].result, 4u);
    }

    void settingsErrorsRunNothing()
    {
        MainWindow window(m_catalogue.get(), &m_translator,
                          {{"CSAT", {{"CSAT_TEST_TIMEOUT", "x"}}}});
        QTimer::singleShot(100, qApp, &QApplication::closeAllWindows); // the error box
        QVERIFY(!window.startRun() && !window.runner()->isRunning());
        QVERIFY(window.logText().contains("CSAT.CSAT_TEST_TIMEOUT=\"x\" cannot be used by the test "
                                          "red_purity: invalid stoi argument"));
    }

    void screenshotIsNotBlank()
    {
        const QString path = qEnvironmentVariable("HOST_SCREENSHOT");
        if (path.isEmpty())
            QSKIP("runs on a real X server");
        MainWindow window(m_catalogue.get(), &m_translator, {});
        window.move(0, 0);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.selectTests({"f"});
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QVERIFY(window.startRun());
        QVERIFY(finished.wait(30000));
        QTest::qWait(500);
        const QImage image = QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QVERIFY(image.save(path));
        qInfo("screenshot saved to %s", qPrintable(path));
        QSet<QRgb> colours;
        for (int i = 0; i < image.width() * image.height(); i += 13)
            colours.insert(image.pixel(i % image.width(), i / image.width()));
        QVERIFY2(colours.size() > 8, "the window is blank");
    }

    void keyPressesReachTheWindowWithTheirXKeyCodes()
    {
        if (qEnvironmentVariableIsEmpty("HOST_SCREENSHOT") ||
            QProcess::execute("xdotool", {"version"}) != 0)
            QSKIP("needs a real X server and xdotool");
        KeyRecordingWindow window;
        WindowEventFilter filter;
        window.installEventFilter(&filter);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // No window manager runs there: focus the window directly, then type.
        const QString id = QString::number(window.winId());
        QCOMPARE(QProcess::execute("xdotool", {"windowfocus", "--sync", id}), 0);
        QCOMPARE(QProcess::execute("xdotool", {"key", "5", "Escape"}), 0);
        QTRY_COMPARE(window.forwarded, QList<int>({14, 9}));
        // Escape is handled through the slot alone; the digit also reaches the
        // window's own key handling.
        QCOMPARE(window.ownKeys, QList<int>({Qt::Key_5}));
    }

private:
    KeyTranslator m_translator;
    ModuleLoader m_loader;
    QScopedPointer<ModuleCatalogue> m_catalogue;
};

QTEST_MAIN(GuiTest)
#include "GuiTest.moc"
