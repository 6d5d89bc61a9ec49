// The desktop front end with the display module on the office desk: a whole
// run on the offscreen platform with its dialogs answered by clicking, and,
// under Xvfb, a screenshot for a person to look at and real key presses.
#include "host/gui/MainWindow.h"
#include "host/runtime/BackendSelection.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/ModuleLoader.h"
#include "host/runtime/WindowEventFilter.h"

#include <QtTest>
#include <QtWidgets>

namespace {
// Accepts (true) or declines (false, also once the script runs out) each
// dialog that comes up, in order, and keeps its title, text and button labels.
struct DialogClicker : QObject
{
    explicit DialogClicker(QList<bool> accepts) : m_accepts(std::move(accepts))
    {
        connect(&m_timer, &QTimer::timeout, this, [this]() {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            auto* yes = box->findChild<QPushButton*>("acceptButton");
            auto* no = box->findChild<QPushButton*>("declineButton");
            seen << box->windowTitle() + "|" + box->text() + "|" + yes->text() + "/" + no->text();
            // Clicking hides the box at once, so the next tick sees the next one.
            (!m_accepts.isEmpty() && m_accepts.takeFirst() ? yes : no)->click();
        });
        m_timer.start(20);
    }
    QStringList seen;
    QList<bool> m_accepts;
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
        DialogClicker clicker({true, true, true, false}); // continue, yes, continue, no
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
        DialogClicker clicker({true});
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QVERIFY(window.startRun());
        QTimer::singleShot(1000, &window, [&window]() { window.stopRun(); });
        QVERIFY(finished.wait(20000));
        const QString log = window.logText();
        QVERIFY(log.contains("dpy1: Red purity test: Aborted") && !log.contains("dpy2:"));
    }

    void settingsErrorsRunNothing()
    {
        MainWindow window(m_catalogue.get(), &m_translator,
                          {{"CSAT", {{"CSAT_TEST_TIMEOUT", "x"}}}});
        QTimer::singleShot(100, qApp, &QApplication::closeAllWindows); // the error box
        QVERIFY(!window.startRun());
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
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()) && image.save(path));
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
