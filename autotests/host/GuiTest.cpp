// The desktop front end with the display module on the office desk: its
// command line without a display, the display picker, questions and Stop,
// the session report on the offscreen platform, and, under Xvfb, a
// screenshot, real key presses and the Identify numbers read back by OCR.
#include "host/gui/DeskView.h"
#include "host/gui/IdentifyWindow.h"
#include "host/gui/MainWindow.h"
#include "host/gui/QuestionDialog.h"
#include "host/runtime/BackendSelection.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/ModuleLoader.h"
#include "host/runtime/WindowEventFilter.h"
#include "module/ProductVersion.h"

#include <QtTest>
#include <QtWidgets>

namespace {
// The question or test window of a run that is up now, if any. Neither is
// modal: the main window's Stop must stay usable.
QWidget* shownRequest()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() &&
            (widget->objectName() == "requestDialog" || widget->inherits("DisplayWidget")))
            return widget;
    }
    return nullptr;
}

// Works through the questions and test windows of a run, one step each:
// 'a' accepts a question, 'd' declines it, 's' presses its Stop, 'q' types
// Ctrl+Q into a test window, 'w' leaves a test window be, 'c' types Ctrl+Q
// into a question. Questions past the script are declined; windows not
// scripted are left to end by themselves. Keeps what each question showed.
struct RunDriver : QObject
{
    explicit RunDriver(QString script) : m_script(std::move(script))
    {
        connect(&m_timer, &QTimer::timeout, this, [this]() {
            QWidget* modal = shownRequest();
            if (!modal || !modal->isVisible() || modal == m_last)
                return;
            const bool question = modal->objectName() == "requestDialog";
            if (!question && !modal->inherits("DisplayWidget"))
                return;
            const QChar step = m_script.isEmpty() ? QChar('d') : m_script[0];
            if (!question && step != 'q' && step != 'w')
                return;
            m_script.remove(0, 1);
            m_last = modal;
            if (!question) {
                windows << modal->windowTitle();
                if (step == 'q')
                    QTest::keyClick(modal, Qt::Key_Q, Qt::ControlModifier);
                return;
            }
            screens << modal->screen()->name();
            if (onQuestion)
                onQuestion();
            seen << modal->findChild<QLabel*>("displayLabel")->text() + "|" +
                        modal->findChild<QLabel*>("titleLabel")->text() + "|" +
                        modal->findChild<QLabel*>("textLabel")->text();
            if (step == 'c') {
                QTest::keyClick(modal, Qt::Key_Q, Qt::ControlModifier);
                return;
            }
            const char* button = step == 'a'   ? "acceptButton"
                                 : step == 's' ? "stopButton"
                                               : "declineButton";
            modal->findChild<QPushButton*>(button)->click();
        });
        m_timer.start(20);
    }
    QStringList seen;
    QStringList screens; // the screen each question showed on
    QStringList windows; // the title of each test window
    std::function<void()> onQuestion;
    QString m_script;
    QPointer<QWidget> m_last;
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

QStringList runsOf(const MainWindow& window)
{
    QStringList runs;
    for (const SessionReport::Entry& entry : window.report().entries())
        runs << QString::fromStdString(entry.record.device + " " + entry.record.shortName + " ") +
                    entry.resultName;
    return runs;
}
} // namespace

class GuiTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Remembered splitter sizes stay in this run.
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        QVERIFY(m_translator.load());
        std::string error; // the library from the build; the tests run in the source folder
        QVERIFY2(m_loader.load(ModuleLoader::defaultPath(), &error) &&
                     BackendSelection::install("sim:examples/desks/office.json", nullptr, &error),
                 error.c_str());
        m_catalogue.reset(new ModuleCatalogue(m_loader.instance()));
    }

    // The program reads its own options before Qt starts: help and version
    // need no display, a missing display server is one error.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        const QStringList office{"--platform", "sim:examples/desks/office.json"};
        QTest::newRow("version") << QStringList{"--version"} << "" << 0
                                 << "OrvaneDiagnostics 4.35.1.6\n";
        QTest::newRow("help") << QStringList{"-h"} << "" << 0
                              << "Usage: OrvaneDiagnostics [OPTION]...\n";
        QTest::newRow("no display server")
            << office << "" << 2
            << "OrvaneDiagnostics: No display server to show the window on: neither DISPLAY nor "
               "WAYLAND_DISPLAY is set; run OrvaneDiagnosticsCLI instead.\n";
        QTest::newRow("display server gone")
            << office << ":97" << 2
            << "OrvaneDiagnostics: The display server cannot be reached (DISPLAY=\":97\").\n";
        QTest::newRow("platform value after a space reaches the backend")
            << QStringList{"--platform", "sim:examples/desks/none.json"} << "offscreen" << 2
            << "none.json";
        QTest::newRow("verbose names the Qt platform and why")
            << QStringList{"-v", "--platform", "sim:examples/desks/none.json"} << "offscreen" << 2
            << "OrvaneDiagnostics: Qt platform offscreen (as QT_QPA_PLATFORM=offscreen)\n"
               "OrvaneDiagnostics: examples/desks/none.json: cannot read";
        QTest::newRow("unknown option")
            << QStringList{"--frobnicate"} << "" << 2
            << "OrvaneDiagnostics: Unknown option \"--frobnicate\"; see --help.\n";
        QTest::newRow("misspelt option")
            << QStringList{"--platfrom=x11"} << "" << 2
            << "OrvaneDiagnostics: Unknown option \"--platfrom=x11\"; did you mean --platform?\n";
        QTest::newRow("missing value")
            << QStringList{"--settings"} << "" << 2 << "The option --settings needs a value";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, display);
        QFETCH(int, status);
        QFETCH(QString, output);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        if (display == "offscreen")
            environment.insert("QT_QPA_PLATFORM", "offscreen");
        else if (!display.isEmpty())
            environment.insert("DISPLAY", display);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(qEnvironmentVariable("HOST_GUI"), arguments);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), status);
        const QString text = process.readAllStandardOutput() + process.readAllStandardError();
        if (output.endsWith('\n') && !output.startsWith("Usage"))
            QCOMPARE(text, output);
        else
            QVERIFY2(text.startsWith(output) || text.contains(output), qPrintable(text));
    }

    void wholeRunWithScriptedDialogs()
    {
        MainWindow window(m_catalogue.get(), &m_translator,
                          {{"CSAT", {{"CSAT_TEST_TIMEOUT", "0"}}}});
        window.show();
        window.selectTests({"r", "f"});
        RunDriver driver("aaad"); // continue, yes on dpy1; continue, no on dpy2
        // The desk picture marks the display each question is about.
        QList<int> running;
        auto* desk = window.findChild<DeskView*>("desk");
        driver.onQuestion = [&running, desk]() { running << desk->running(); };
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QTest::mouseClick(window.findChild<QPushButton*>("runButton"), Qt::LeftButton);
        QVERIFY(finished.wait(60000));
        // Each question names its display in the dialog itself.
        QCOMPARE(driver.seen, QStringList({window.displays()[0].label() + "|Red purity test|" +
                                               m_translator.text("DISPLAY_RED_PURITY_DESCRIPTION"),
                                           window.displays()[0].label() + "|Red purity test|" +
                                               m_translator.text("DISPLAY_GENERAL_PURITY_CHECK"),
                                           window.displays()[1].label() + "|Red purity test|" +
                                               m_translator.text("DISPLAY_RED_PURITY_DESCRIPTION"),
                                           window.displays()[1].label() + "|Red purity test|" +
                                               m_translator.text("DISPLAY_GENERAL_PURITY_CHECK")}));
        QCOMPARE(running, QList<int>({0, 0, 1, 1}));
        QCOMPARE(desk->running(), -1);
        QVERIFY(driver.seen[0].startsWith("dpy1 \u00b7 DELL AW2518HF"));
        QCOMPARE(runsOf(window),
                 QStringList({"dpy1 r Passed", "dpy1 f Passed", "dpy2 r Failed", "dpy2 f Passed"}));
        QVERIFY(window.logText().contains(QRegularExpression(
            "^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  dpy2: Red purity test: Failed$",
            QRegularExpression::MultilineOption)));
        QCOMPARE(window.verdictLines(),
                 QStringList({"dpy1 \u00b7 DELL AW2518HF \u00b7 DP-1: PASSED (2 passed)",
                              "dpy2 \u00b7 E19-7 \u00b7 VGA-1: FAILED (1 failed, 1 passed)"}));
        QVERIFY(window.findChild<QLabel*>("verdicts")->text().contains("FAILED (1 failed"));

        // Run again takes only the failed test; its new result is the verdict.
        driver.m_script = "aa";
        driver.windows.clear();
        QSignalSpy second(&window, &MainWindow::runFinished);
        QTest::mouseClick(window.findChild<QPushButton*>("runAgainButton"), Qt::LeftButton);
        QVERIFY(second.wait(60000));
        QCOMPARE(runsOf(window).mid(4), QStringList({"dpy2 r Passed"}));
        QCOMPARE(window.verdictLines()[1],
                 QString("dpy2 \u00b7 E19-7 \u00b7 VGA-1: PASSED (2 passed)"));
        QVERIFY(!window.findChild<QPushButton*>("runAgainButton")->isEnabled());
    }

    // Only the chosen displays are tested, whether chosen in the list or
    // by clicking their rectangle on the desk picture.
    void pickerRunsTheChosenDisplaysOnly_data()
    {
        QTest::addColumn<bool>("byDesk");
        QTest::newRow("list") << false;
        QTest::newRow("desk picture") << true;
    }
    void pickerRunsTheChosenDisplaysOnly()
    {
        QFETCH(bool, byDesk);
        MainWindow window(m_catalogue.get(), &m_translator, {});
        window.show();
        window.selectTests({"f"});
        if (byDesk) {
            auto* desk = window.findChild<DeskView*>("desk");
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            // A click selects for the details and chooses nothing; the check
            // box chooses.
            QTest::mouseClick(desk, Qt::LeftButton, {}, desk->displayRect(1).center());
            QCOMPARE(window.findChild<QTreeWidget*>("displayList")->currentItem()->text(1),
                     QString("VGA-1"));
            QCOMPARE(window.selectedDisplays(), QStringList({"dpy1", "dpy2"}));
            QTest::mouseClick(desk, Qt::LeftButton, {}, desk->checkRect(0).center());
        } else {
            window.selectDisplays({"dpy2"});
        }
        QCOMPARE(window.selectedDisplays(), QStringList({"dpy2"}));
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QVERIFY(window.startRun());
        QVERIFY(finished.wait(30000));
        QCOMPARE(runsOf(window), QStringList({"dpy2 f Passed"}));
        window.selectDisplays({"none"});
        QVERIFY(!window.findChild<QPushButton*>("runButton")->isEnabled());
    }

    // The details pane shows the platform's view of the display chosen in
    // the list, and copies its whole EDID as the desk file gives it.
    void detailsShowThePlatformView()
    {
        MainWindow window(m_catalogue.get(), &m_translator, {});
        auto* list = window.findChild<QTreeWidget*>("displayList");
        list->setCurrentItem(list->topLevelItem(1));
        QCOMPARE(QStringList({list->topLevelItem(1)->text(1), list->topLevelItem(1)->text(3)}),
                 QStringList({"VGA-1", "1920, 0"}));
        QTreeWidgetItem* platform = window.findChild<QTreeWidget*>("details")->topLevelItem(1);
        QStringList rows;
        for (int i = 0; i < platform->childCount(); ++i)
            rows << platform->child(i)->text(0) + ": " + platform->child(i)->text(1);
        QCOMPARE(rows,
                 QStringList({"Connector: VGA-1", "Position: 1920, 0", "Size: 1280x1024",
                              "Refresh rate: 60.00 Hz", "Serial number: YE5T102481",
                              "Product code: 0757 (model 1879)", "Manufactured: week 48 of 2007",
                              "EDID: 128 byte(s)", "Modes: 6"}));
        QTest::mouseClick(window.findChild<QPushButton*>("copyEdidButton"), Qt::LeftButton);
        QFile desk("examples/desks/office.json");
        QVERIFY(desk.open(QIODevice::ReadOnly));
        const QString edid = QJsonDocument::fromJson(desk.readAll())["displays"][1]["edid"]
                                 .toString()
                                 .remove(QRegularExpression("\\s"))
                                 .toLower();
        QCOMPARE(QGuiApplication::clipboard()->text().remove('\n'), edid);
    }

    // Every way to stop a run: a question's Stop button, Ctrl+Q in a test
    // window or in a question, and Stop or Ctrl+Q in the main window while a
    // test window is up (the window is not modal, so the click, through the
    // window system as a person's, lands). The running test ends Aborted
    // through its own checks and the tests left out are recorded as not run.
    void stopDuringARun_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("how");
        QTest::newRow("Stop in a question") << "s" << QString();
        QTest::newRow("Ctrl+Q in a question") << "c" << QString();
        QTest::newRow("Ctrl+Q in the pattern window") << "aq" << QString();
        QTest::newRow("Stop clicked while a pattern shows") << "aw" << QString("click");
        QTest::newRow("Ctrl+Q in the main window") << "aw" << QString("key");
    }
    void stopDuringARun()
    {
        QFETCH(QString, script);
        QFETCH(QString, how);
        MainWindow window(m_catalogue.get(), &m_translator,
                          {{"CSAT", {{"CSAT_TEST_TIMEOUT", "60"}}}});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.selectTests({"r", "g"});
        RunDriver driver(script);
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QVERIFY(window.startRun());
        // Identify would draw over the pattern under judgement.
        QVERIFY(!window.findChild<QPushButton*>("identifyButton")->isEnabled());
        // The test window runs in its own event loop: act from a timer there.
        QTimer act;
        bool acted = false;
        connect(&act, &QTimer::timeout, this, [&]() {
            QWidget* shown = shownRequest();
            if (how.isEmpty() || acted || !shown || !shown->inherits("DisplayWidget"))
                return;
            acted = true;
            auto* stop = window.findChild<QPushButton*>("stopButton");
            if (how == "click")
                QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                                  stop->mapTo(&window, stop->rect().center()));
            else {
                // A person clicks the main window first; keys go to the active window.
                QApplication::setActiveWindow(&window);
                QTest::keyClick(window.windowHandle(), Qt::Key_Q, Qt::ControlModifier);
            }
        });
        act.start(50);
        QVERIFY(finished.wait(30000));
        QCOMPARE(runsOf(window), QStringList({"dpy1 r Aborted", "dpy1 g Not run", "dpy2 r Not run",
                                              "dpy2 g Not run"}));
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY(window.logText().contains("Run stopped: 3 test(s) not run."));
        // Pattern windows name their test and display.
        const bool patternShown = script.size() > 1;
        QCOMPARE(driver.windows,
                 patternShown
                     ? QStringList({"Red purity test \u2014 dpy1 \u00b7 DELL AW2518HF \u00b7 DP-1"})
                     : QStringList());
        // Honest progress: most of the run did not run, and the stopped row
        // says where it ended.
        auto* overall = window.findChild<QProgressBar*>("overallProgress");
        QCOMPARE(overall->text(), QString("1 of 4 test(s) ran"));
        auto* results = window.findChild<QTreeWidget*>("results");
        QCOMPARE(results->topLevelItem(0)->text(2),
                 patternShown ? QString("ended at 50%") : QString("ended at 0%"));
        QCOMPARE(results->topLevelItem(1)->text(2), QString("not started"));
        QVERIFY(window.findChild<QPushButton*>("identifyButton")->isEnabled());
    }

    // A verdict takes a deliberate answer: Enter alone answers nothing
    // there, while it continues a confirmation.
    void enterAnswersNoVerdict()
    {
        for (const auto kind : {QuestionDialog::YesNo, QuestionDialog::Confirmation}) {
            QuestionDialog dialog(kind, "Red purity test", "dpy1", "Was it even?");
            std::atomic<bool> stop{false};
            int answer = -1;
            QTimer::singleShot(200, &dialog, [&dialog]() {
                QTest::keyClick(&dialog, Qt::Key_Return);
                QTest::keyClick(&dialog, Qt::Key_Space);
            });
            // Still unanswered after the keys: the stop flag ends it with 0.
            QTimer::singleShot(600, &dialog, [&stop]() { stop = true; });
            answer = dialog.ask(&stop);
            QCOMPARE(answer, kind == QuestionDialog::YesNo ? 0 : 1);
        }
    }

    // Refresh keeps the choice of displays that are still there.
    void refreshKeepsTheChoice()
    {
        MainWindow window(m_catalogue.get(), &m_translator, {});
        window.selectDisplays({"dpy2"});
        auto* list = window.findChild<QTreeWidget*>("displayList");
        list->setCurrentItem(list->topLevelItem(1));
        QTest::mouseClick(window.findChild<QPushButton*>("refreshButton"), Qt::LeftButton);
        QCOMPARE(window.selectedDisplays(), QStringList({"dpy2"}));
        QCOMPARE(list->currentItem(), list->topLevelItem(1));
    }

    // Closing with results not saved in a report asks first: Cancel keeps
    // the window, Discard closes; saved results close without a question.
    void closingAsksAboutUnsavedResults()
    {
        MainWindow window(m_catalogue.get(), &m_translator, {});
        window.show();
        window.selectTests({"f"});
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QVERIFY(window.startRun());
        QVERIFY(finished.wait(30000));
        QStringList asked;
        auto answer = [&asked](QMessageBox::StandardButton button) {
            QTimer::singleShot(100, [&asked, button]() {
                for (QWidget* widget : QApplication::topLevelWidgets()) {
                    auto* box = qobject_cast<QMessageBox*>(widget);
                    if (box && box->isVisible() && box->objectName() == "unsavedQuestion") {
                        asked << box->text();
                        box->button(button)->click();
                    }
                }
            });
        };
        answer(QMessageBox::Cancel);
        QVERIFY(!window.close());
        QCOMPARE(asked, QStringList({"2 result(s) of this session are not saved in a report."}));
        QVERIFY(window.isVisible());
        answer(QMessageBox::Discard);
        QVERIFY(window.close());
        QCOMPARE(asked.size(), 2);

        window.show();
        QTemporaryDir dir;
        QVERIFY(window.saveReport(dir.filePath("report.json")));
        QVERIFY(window.close());
        QCOMPARE(asked.size(), 2);
    }

    // Which tests apply to the chosen displays, and why not, before Run: the
    // mesh and sharpness tests need a digital input at the native resolution,
    // resolution fitting a readable EDID.
    void applicableTestsPerDisplay()
    {
        MainWindow window(m_catalogue.get(), &m_translator, {});
        const std::vector<TestEntry>& tests = m_catalogue->diagnostics().front().tests;
        const auto test = [&tests](const char* shortName) {
            return *std::find_if(tests.begin(), tests.end(), [shortName](const TestEntry& t) {
                return t.shortName == shortName;
            });
        };
        QCOMPARE(window.notApplicableReason(test("m"), 0), QString());
        QCOMPARE(window.notApplicableReason(test("m"), 1), QString("analog input"));
        QCOMPARE(window.notApplicableReason(test("r"), 1), QString());
        window.selectDisplays({"dpy2"});
        auto* list = window.findChild<QListWidget*>("testList");
        QStringList limited;
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->text().contains("\n    not for dpy2: analog input"))
                limited << list->item(row)->data(Qt::UserRole).toString();
        }
        QCOMPARE(limited, QStringList({"m", "i", "s"}));
        window.selectDisplays({"dpy1"});
        QCOMPARE(window.findChild<QLabel*>("applicability")->text(),
                 QString("Every test applies to the chosen displays."));

        std::string error;
        QVERIFY2(
            BackendSelection::install("sim:examples/desks/projector-no-edid.json", nullptr, &error),
            error.c_str());
        window.refreshDevices();
        int projector = -1;
        for (int i = 0; i < int(window.displays().size()); ++i) {
            if (window.displays()[i].edid.isEmpty())
                projector = i;
        }
        QVERIFY(projector >= 0);
        QCOMPARE(window.notApplicableReason(test("f"), projector), QString("no readable EDID"));
        QVERIFY2(BackendSelection::install("sim:examples/desks/office.json", nullptr, &error),
                 error.c_str());
    }

    // Clones share one rectangle and one Identify box; an empty desk says
    // so and offers nothing to choose.
    void clonesAndAnEmptyDesk()
    {
        std::string error;
        QVERIFY2(BackendSelection::install("sim:examples/desks/clone.json", nullptr, &error),
                 error.c_str());
        {
            MainWindow window(m_catalogue.get(), &m_translator, {});
            auto* desk = window.findChild<DeskView*>("desk");
            QCOMPARE(desk->groupOf(1), QVector<int>({1, 2}));
            QCOMPARE(desk->displayRect(1), desk->displayRect(2));
            if (const QString path = qEnvironmentVariable("HOST_SCREENSHOT"); !path.isEmpty()) {
                window.resize(1280, 900);
                QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
                QVERIFY(desk->grab().save(QFileInfo(path).absolutePath() + "/clone-desk.png"));
            }
            window.identify();
            QStringList boxes;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<IdentifyWindow*>(widget); box && box->isVisible()) {
                    boxes << box->number();
                    box->close();
                }
            }
            boxes.sort();
            QCOMPARE(boxes, QStringList({"dpy1", "dpy2 = dpy3"}));
        }
        QTemporaryDir dir;
        QFile empty(dir.filePath("empty.json"));
        QVERIFY(empty.open(QIODevice::WriteOnly) && empty.write("{\"displays\": []}") > 0);
        empty.close();
        QVERIFY2(
            BackendSelection::install("sim:" + empty.fileName().toStdString(), nullptr, &error),
            error.c_str());
        {
            MainWindow window(m_catalogue.get(), &m_translator, {});
            for (const char* name :
                 {"identifyButton", "runButton", "allDisplaysButton", "noneDisplaysButton"})
                QVERIFY2(!window.findChild<QPushButton*>(name)->isEnabled(), name);
            QVERIFY(window.findChild<DeskView*>("desk")->isEmpty());
        }
        QVERIFY2(BackendSelection::install("sim:examples/desks/office.json", nullptr, &error),
                 error.c_str());
    }

    // Settings are judged when loaded: warnings go to the log and a value
    // the module cannot read keeps Run disabled, with one message.
    void settingsAdviceBeforeRun()
    {
        MainWindow window(m_catalogue.get(), &m_translator, {});
        QString shown;
        QTimer::singleShot(200, [&shown]() {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (box && box->isVisible() && box->objectName() == "settingsMessage") {
                    shown = box->text();
                    box->accept();
                }
            }
        });
        window.setSettingsAdvice({"The setting CSAT.CSAT_TEST_TIMEOT is not read."},
                                 "The setting CSAT.CSAT_TEST_TIMEOUT=\"x\" cannot be used.");
        QTRY_VERIFY(!shown.isEmpty());
        QVERIFY(shown.startsWith("The setting CSAT.CSAT_TEST_TIMEOUT=\"x\" cannot be used. No test "
                                 "can run until the settings are fixed."));
        QVERIFY(shown.contains("CSAT_TEST_TIMEOT"));
        QVERIFY(
            window.logText().contains("Settings: The setting CSAT.CSAT_TEST_TIMEOT is not read."));
        QVERIFY(!window.findChild<QPushButton*>("runButton")->isEnabled());
    }

    // Save dialogs open in the documents folder, or home where there is none.
    void saveDialogsOpenInDocuments()
    {
        QTemporaryDir home;
        const QByteArray saved = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        QCOMPARE(MainWindow::saveFolder(), home.path());
        QVERIFY(QDir(home.path()).mkdir("Documents"));
        QCOMPARE(MainWindow::saveFolder(), home.filePath("Documents"));
        qputenv("HOME", saved);
    }

    // Results gather across runs until cleared, and save as the JSON
    // document, a readable HTML page and a PDF.
    void sessionReport()
    {
        MainWindow window(m_catalogue.get(), &m_translator, {});
        const ProductVersion* version = m_loader.productVersion();
        window.setModuleVersion(QStringLiteral("%1.%2.%3.%4")
                                    .arg(version->major())
                                    .arg(version->minor())
                                    .arg(version->build())
                                    .arg(version->revision()));
        window.selectTests({"f"});
        for (const QString id : {"dpy2", "dpy1"}) {
            window.selectDisplays({id});
            QSignalSpy finished(&window, &MainWindow::runFinished);
            QVERIFY(window.startRun());
            QVERIFY(finished.wait(30000));
        }
        QTemporaryDir dir;
        QVERIFY(window.saveReport(dir.filePath("report.json")));
        QFile json(dir.filePath("report.json"));
        QVERIFY(json.open(QIODevice::ReadOnly));
        const QJsonObject document = QJsonDocument::fromJson(json.readAll()).object();
        QCOMPARE(document["hostName"].toString(), QSysInfo::machineHostName());
        QVERIFY(QDateTime::fromString(document["date"].toString(), Qt::ISODate).isValid());
        QCOMPARE(document["moduleVersion"].toString(), QString("4.35.1.6"));
        QCOMPARE(document["verdicts"][1]["line"].toString(),
                 QString("dpy1 \u00b7 DELL AW2518HF \u00b7 DP-1: PASSED (1 passed)"));
        QStringList runs;
        for (const QJsonValue run : document["runs"].toArray()) {
            QStringList fields;
            for (const char* key :
                 {"device", "connector", "modelName", "serialNumber", "resultName"})
                fields << run[key].toString();
            runs << fields.join('|') + '|' + run["messages"][0].toString();
            const QDateTime started = QDateTime::fromString(run["started"].toString(), Qt::ISODate);
            const QDateTime ended = QDateTime::fromString(run["ended"].toString(), Qt::ISODate);
            QVERIFY(started.isValid() && ended.isValid() && started <= ended);
        }
        const QString fits = "YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION.";
        QCOMPARE(runs, QStringList({"dpy2|VGA-1|E19-7|YE5T102481|Passed|" + fits,
                                    "dpy1|DP-1|DELL AW2518HF|F5V7893S1JKU|Passed|" + fits}));

        QVERIFY(window.saveReport(dir.filePath("report.html")));
        QFile html(dir.filePath("report.html"));
        QVERIFY(html.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(html.readAll());
        QCOMPARE(page.count(m_translator.text(fits.toStdString()).toHtmlEscaped()), 2);
        QVERIFY(page.contains("<h2>dpy1 \u00b7 DELL AW2518HF \u00b7 DP-1</h2>"));
        QVERIFY(
            page.contains("<p class=\"r0\">dpy2 \u00b7 E19-7 \u00b7 VGA-1: PASSED (1 passed)</p>"));
        QVERIFY(window.saveReport(dir.filePath("report.pdf")));
        QFile pdf(dir.filePath("report.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");

        QString error;
        QVERIFY(!window.saveReport(dir.filePath("missing/report.json"), &error));
        QVERIFY(error.contains("missing/report.json"));
        window.clearReport();
        QVERIFY(window.report().isEmpty());
    }

    // The PDF repeats the table header on each page and splits no row: read
    // back page by page, every row's test, messages and times share a page.
    void pdfPagesKeepHeaderAndRows()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("needs pdftotext (poppler-utils)");
        SessionReport report;
        report.setTechnician("Ana Lima");
        report.setTicket("T-4711");
        DisplayEntry display;
        display.id = "dpy1";
        display.modelName = "DELL AW2518HF";
        display.connector = "DP-1";
        for (int i = 0; i < 70; ++i) {
            SessionReport::Entry entry;
            entry.record.device = "dpy1";
            entry.record.modelName = "DELL AW2518HF";
            entry.record.connector = "DP-1";
            entry.record.test = "test" + std::to_string(i);
            entry.record.result = i % 7 == 0 ? 1 : 0;
            entry.display = display;
            entry.testName = QString("Row%1test").arg(i);
            entry.resultName = entry.record.result ? "Failed" : "Passed";
            if (i % 3 == 0)
                entry.messages =
                    QStringList({QString("Row%1one").arg(i), QString("Row%1two").arg(i),
                                 QString("Row%1three").arg(i)});
            entry.started = QDateTime(QDate(2026, 12, 7), QTime(5, 0).addSecs(i));
            entry.ended = entry.started.addSecs(1);
            report.add(entry);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath("report.pdf");
        QString error;
        QVERIFY2(report.save(path, QDateTime::currentDateTime(), &error), qPrintable(error));
        QStringList pages;
        for (int page = 1;; ++page) {
            QProcess text;
            text.start("pdftotext", {"-f", QString::number(page), "-l", QString::number(page),
                                     "-layout", path, "-"});
            QVERIFY(text.waitForFinished(30000));
            if (text.exitCode() != 0)
                break;
            pages << QString::fromUtf8(text.readAllStandardOutput());
        }
        QVERIFY2(pages.size() >= 2, "the report fits one page: nothing to check");
        QVERIFY(pages[0].contains("T-4711") && pages[0].contains("Ana Lima"));
        // Every page names the report and its ticket, and its number.
        for (int page = 0; page < pages.size(); ++page)
            QVERIFY(pages[page].contains("ticket T-4711") &&
                    pages[page].contains(QString("Page %1").arg(page + 1)));
        QVERIFY(pages[0].contains(
            "dpy1 \u00b7 DELL AW2518HF \u00b7 DP-1: FAILED (10 failed, 60 passed)"));
        for (int page = 0; page < pages.size(); ++page) {
            const bool hasRows = pages[page].contains(QRegularExpression("Row\\d+test"));
            QVERIFY2(!hasRows || pages[page].contains(QRegularExpression(
                                     "Test\\s+Result\\s+Messages\\s+Started\\s+Ended")),
                     qPrintable(QString("no table header on page %1").arg(page + 1)));
        }
        for (int i = 0; i < 70; ++i) {
            QStringList parts{QString("Row%1test").arg(i),
                              QTime(5, 0).addSecs(i).toString("HH:mm:ss")};
            if (i % 3 == 0)
                parts << QString("Row%1one").arg(i) << QString("Row%1three").arg(i);
            int on = -1;
            for (int page = 0; page < pages.size(); ++page) {
                if (pages[page].contains(QRegularExpression(parts[0] + "\\b")))
                    on = page;
            }
            QVERIFY2(on >= 0, qPrintable(parts[0]));
            for (const QString& part : parts)
                QVERIFY2(
                    pages[on].contains(part),
                    qPrintable(QString("%1 split from its row on page %2").arg(part).arg(on + 1)));
        }
    }

    // On a real X server with two outputs, a question opens on the main
    // window's screen unless that screen shows the display under test.
    void questionsStayOffTheDisplayUnderTest_data()
    {
        QTest::addColumn<QString>("underTest");
        QTest::addColumn<QString>("questionOn");
        QTest::newRow("the other display") << "DUMMY1" << QString("DUMMY0");
        QTest::newRow("the main window's display") << "DUMMY0" << QString("DUMMY1");
    }
    void questionsStayOffTheDisplayUnderTest()
    {
        QFETCH(QString, underTest);
        QFETCH(QString, questionOn);
        if (!qEnvironmentVariableIsSet("HOST_ON_X_SERVER") ||
            qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("runs through scripts/integration.sh");
        QCOMPARE(QProcess::execute(
                     "sh", {"-c", "xrandr --addmode DUMMY1 1280x1024; xrandr --output DUMMY0 "
                                  "--mode 1920x1080 --pos 0x0 --primary --output DUMMY1 --mode "
                                  "1280x1024 --pos 1920x0 --fb 3200x1080; xrandr -q >/dev/null"}),
                 0);
        QTRY_COMPARE(QGuiApplication::screens().size(), 2);
        std::string error;
        QVERIFY2(BackendSelection::install("x11", nullptr, &error), error.c_str());
        MainWindow window(m_catalogue.get(), &m_translator, {});
        window.move(100, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.screen()->name(), QString("DUMMY0"));
        for (const DisplayEntry& display : window.displays()) {
            if (display.connector == underTest)
                window.selectDisplays({display.id});
        }
        QCOMPARE(window.selectedDisplays().size(), 1);
        window.selectTests({"r"});
        RunDriver driver("s");
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QVERIFY(window.startRun());
        QVERIFY(finished.wait(30000));
        QCOMPARE(driver.screens, QStringList({questionOn}));
        QVERIFY(driver.seen[0].contains(underTest));
        QVERIFY2(BackendSelection::install("sim:examples/desks/office.json", nullptr, &error),
                 error.c_str());
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
        // The report beside it, for a person to look at.
        const QString folder = QFileInfo(path).absolutePath();
        QVERIFY(window.saveReport(folder + "/report.html") &&
                window.saveReport(folder + "/report.pdf"));
        // The smallest the window goes, for a person to check nothing is cut.
        window.resize(window.minimumSize());
        QTest::qWait(300);
        QGuiApplication::primaryScreen()
            ->grabWindow(window.winId())
            .save(folder + "/main-window-minimum.png");
        QSet<QRgb> colours;
        for (int i = 0; i < image.width() * image.height(); i += 13)
            colours.insert(image.pixel(i % image.width(), i / image.width()));
        QVERIFY2(colours.size() > 8, "the window is blank");
    }

    // As a person does it on a desk with a window manager: while the pattern
    // covers dpy1, the pointer goes to Stop in the main window below it and
    // clicks. The run stops; the screen is saved for a person to look at.
    void stopClickedByAPersonWhileAPatternShows()
    {
        const QString path = qEnvironmentVariable("HOST_SCREENSHOT");
        if (path.isEmpty() || QProcess::execute("xdotool", {"version"}) != 0)
            QSKIP("needs a real X server and xdotool");
        MainWindow window(m_catalogue.get(), &m_translator,
                          {{"CSAT", {{"CSAT_TEST_TIMEOUT", "60"}}}});
        window.move(0, 1100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.selectTests({"r", "g"});
        window.selectDisplays({"dpy1"});
        RunDriver driver("aw");
        QSignalSpy finished(&window, &MainWindow::runFinished);
        QTimer act;
        bool clicked = false;
        connect(&act, &QTimer::timeout, this, [&]() {
            QWidget* shown = shownRequest();
            if (clicked || !shown || !shown->inherits("DisplayWidget") || !shown->windowHandle() ||
                !shown->windowHandle()->isExposed())
                return;
            clicked = true;
            QGuiApplication::primaryScreen()->grabWindow(0).save(QFileInfo(path).absolutePath() +
                                                                 "/pattern-and-main-window.png");
            auto* stop = window.findChild<QPushButton*>("stopButton");
            const QPoint at = stop->mapToGlobal(stop->rect().center());
            QProcess::execute("xdotool", {"mousemove", "--sync", QString::number(at.x()),
                                          QString::number(at.y()), "click", "1"});
        });
        act.start(100);
        QVERIFY(window.startRun());
        QVERIFY(finished.wait(30000));
        QVERIFY(clicked);
        QCOMPARE(runsOf(window), QStringList({"dpy1 r Aborted", "dpy1 g Not run"}));
    }

    // Identify shows each display's own number on that display: the screen
    // is read back with OCR, display by display.
    void identifyShowsEachNumberOnItsDisplay()
    {
        const QString path = qEnvironmentVariable("HOST_SCREENSHOT");
        if (path.isEmpty() || QStandardPaths::findExecutable("tesseract").isEmpty())
            QSKIP("needs a real X server and tesseract");
        MainWindow window(m_catalogue.get(), &m_translator, {});
        // Below the desk's displays, so that only the numbers show on them.
        window.move(0, 1100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.identify();
        QList<QWidget*> shown;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == "identifyWindow" && widget->isVisible())
                shown << widget;
        }
        QCOMPARE(shown.size(), static_cast<int>(window.displays().size()));
        for (QWidget* widget : shown)
            QVERIFY(QTest::qWaitForWindowExposed(widget));
        QTest::qWait(300);
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        QVERIFY(screen.save(QFileInfo(path).absolutePath() + "/identify.png"));
        QTemporaryDir dir;
        for (const DisplayEntry& display : window.displays()) {
            // Exactly one number box, and it lies on this display.
            QList<QRect> boxes;
            for (QWidget* widget : shown) {
                if (display.geometry.contains(widget->geometry()))
                    boxes << widget->geometry();
            }
            QCOMPARE(boxes.size(), 1);
            // The number's line (the upper part of the box), dark on light.
            QImage number = screen.copy(boxes[0].adjusted(0, 0, 0, -boxes[0].height() * 3 / 10));
            number.invertPixels();
            const QString file = dir.filePath(display.id + ".png");
            QVERIFY(number.save(file));
            QProcess ocr;
            ocr.start("tesseract", {file, "stdout", "--psm", "7", "-c",
                                    "tessedit_char_whitelist=dpy0123456789"});
            QVERIFY(ocr.waitForFinished(60000));
            QCOMPARE(QString::fromUtf8(ocr.readAllStandardOutput()).trimmed(), display.id);
        }
        // The numbers go away by themselves.
        QTRY_VERIFY_WITH_TIMEOUT(
            std::none_of(shown.begin(), shown.end(), [](QWidget* w) { return w->isVisible(); }),
            IdentifyWindow::ShowMs + 3000);
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
    QTemporaryDir m_config;
    KeyTranslator m_translator;
    ModuleLoader m_loader;
    QScopedPointer<ModuleCatalogue> m_catalogue;
};

QTEST_MAIN(GuiTest)
#include "GuiTest.moc"
