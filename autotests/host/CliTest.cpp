// The command-line host as users and CI jobs run it: the display module
// loaded from the build, on the example desks. One row per command line. The
// tests run in the source folder, so paths are relative to it.
#include "host/cli/ProgressLine.h"
#include "host/cli/TerminalRequestHandler.h"
#include "host/runtime/JsonReport.h"
#include "host/runtime/KeyTranslator.h"

#include <QtTest>

#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
struct Cli
{
    int status = -1;
    QByteArray out, err;
};

// Runs the CLI; with a marker, presses Ctrl+C once the output shows it.
Cli runCli(const QStringList& arguments, const QByteArray& marker = {})
{
    QProcess process;
    process.start(qEnvironmentVariable("HOST_CLI"), arguments);
    Cli cli;
    for (int i = 0; i < 300 && !marker.isEmpty() && !(cli.out + cli.err).contains(marker); ++i) {
        process.waitForReadyRead(100);
        cli.out += process.readAllStandardOutput();
        cli.err += process.readAllStandardError();
    }
    if (!marker.isEmpty() && process.processId() > 0) // 0 would signal this test too
        kill(pid_t(process.processId()), SIGINT);
    if (!process.waitForFinished(60000))
        process.kill();
    process.waitForFinished();
    cli.out += process.readAllStandardOutput();
    cli.err += process.readAllStandardError();
    cli.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return cli;
}

// A process whose standard input and error are a pseudo-terminal that is
// its controlling terminal, so that the keys typed there (Ctrl+C, Ctrl+D)
// act as in a person's shell. Standard output stays a pipe.
class TerminalProcess : public QProcess
{
public:
    TerminalProcess(int slave, bool output) : m_slave(slave), m_output(output) {}

protected:
    void setupChildProcess() override
    {
        setsid();
        ioctl(m_slave, TIOCSCTTY, 0);
        dup2(m_slave, STDIN_FILENO);
        dup2(m_slave, STDERR_FILENO);
        if (m_output)
            dup2(m_slave, STDOUT_FILENO);
    }

private:
    int m_slave;
    bool m_output;
};

// Runs the CLI at a terminal: types the input, and types Ctrl+C once the
// terminal shows the marker. Returns what the terminal showed in err, with
// its line ends made plain. With output, standard output is the terminal too.
Cli runAtTerminal(const QStringList& arguments, const QByteArray& typed, const QByteArray& marker,
                  bool output = false)
{
    Cli cli;
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return cli;
    TerminalProcess process(slave, output);
    process.start(qEnvironmentVariable("HOST_CLI"), arguments);
    if (!typed.isEmpty() && write(master, typed.constData(), size_t(typed.size())) < 0)
        qWarning("cannot type on the terminal");
    auto readTerminal = [&]() {
        pollfd ready = {master, POLLIN, 0};
        char chunk[4096];
        ssize_t count = 0;
        while (poll(&ready, 1, 20) > 0 && (count = read(master, chunk, sizeof chunk)) > 0)
            cli.err.append(chunk, int(count));
    };
    bool pressed = false;
    for (int i = 0; i < 1200 && process.state() != QProcess::NotRunning; ++i) {
        readTerminal();
        if (!marker.isEmpty() && !pressed && cli.err.contains(marker))
            pressed = write(master, "\x03", 1) == 1;
        process.waitForFinished(30);
    }
    if (process.state() != QProcess::NotRunning)
        process.kill();
    process.waitForFinished();
    readTerminal();
    close(slave);
    close(master);
    cli.out = process.readAllStandardOutput();
    cli.err.replace("\r\n", "\n");
    cli.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return cli;
}

QJsonObject parse(const QByteArray& text)
{
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(text, &error).object();
    [&]() { QVERIFY2(!error.error, text.constData()); }(); // records a failure, goes on
    return object;
}

void row(const char* name, const QStringList& arguments, int status, const QByteArray& expected,
         const QByteArray& absent = "\x01", const QByteArray& marker = {},
         const QByteArrayList& warnings = {})
{
    QTest::newRow(name) << arguments << status << expected << absent << marker << warnings;
}

// Pattern windows end as soon as they show.
const QStringList Shown = {"-Mdisplay", "--set", "CSAT.CSAT_TEST_TIMEOUT=0"};
} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("expected");     // on stdout, or stderr for status 2 and 4
        QTest::addColumn<QByteArray>("absent");       // from stdout and stderr
        QTest::addColumn<QByteArray>("marker");       // Ctrl+C when the output shows it
        QTest::addColumn<QByteArrayList>("warnings"); // lines on stderr
        row("list json", {"--list", "--json"}, 0,
            "\"id\": \"dpy1\",\n      \"name\": \"DELLAW2518HF\",\n      \"properties\": [\n"
            "        {\"key\": \"UDI\", \"value\": \"dpy1\"},\n"
            "        {\"key\": \"DISPLAY_INDEX\", \"value\": \"1\"},");
        row("list one, short option", {"-l", "dpy2"}, 0,
            "dpy2: E19-7\n    Identifier: dpy2\n    Display index: 2\n", "dpy1");
        row("list all", {"--list", "0"}, 0, "dpy1: DELL AW2518HF\n", "_");
        row("version, short option", {"-V"}, 0, "OrvaneDiagnosticsCLI 4.35.1.6\n");
        row("modules", {"--help"}, 0, "Available modules: display\n");
        row("run json", {"-Mdisplay", "-Q\"f\"", "0", "--json"}, 0,
            "\"device\": \"dpy2\",\n      \"connector\": \"VGA-1\",\n"
            "      \"modelName\": \"E19-7\",\n      \"serialNumber\": \"YE5T102481\",\n"
            "      \"test\": \"resolution_fitting\",\n"
            "      \"shortName\": \"f\",\n      \"itemId\": [9, 1, 10],\n      \"result\": 0,\n"
            "      \"resultName\": \"Passed\",\n      \"started\": \"20");
        row("long names, unattended, one display",
            {"-Mdisplay", "--quick=resolution_fitting,red_purity", "dpy1"}, 3,
            "dpy1  Red purity test: Not performed\n    This test cannot be performed because the "
            "application could not recognize the input type.\ndpy1  Resolution fitting test: "
            "Passed\n    Your system can take full advantage of your display resolution.\n",
            "dpy2");
        row("answered no", Shown + QStringList{"-Qr", "dpy1", "--answers", "1,4", "--json"}, 1,
            "\"messages\": [\n        \"DISPLAY_ATTENDED_TEST_FAILED\",\n"
            "        \"POSSIBLE_DEFECTIVE_COMPONENTS: CABLES, SCREEN, CONNECTOR\"\n      ]");
        // The interactive window ends by Escape, then dpy2's red purity has no answers left.
        row("answers run out",
            Shown + QStringList{"-Q\"r,n\"", "0", "--answers=continue,yes,continue"}, 3,
            "dpy1  Display interactive test: Aborted\ndpy2  Red purity test: Aborted\n", "\x01", {},
            {"warning: the answers given with --answers ran out: 2 question(s) were answered "
             "cancel.\n"});
        row("sample settings, --platform with a space",
            {"-Mdisplay", "-Q", "--settings", "examples/settings/display.ini", "--platform",
             "sim:examples/desks/office.json"},
            3, "dpy2  Resolution fitting test: Passed");
        // The tests a stop left out are recorded as not run, in the document too.
        row("Ctrl+C", {"-Mdisplay", "-Q\"r,f\"", "--json", "--verbose", "--answers=continue,yes"},
            3,
            "{\"percent\": 100, \"text\": \"\"}\n      ],\n      "
            "\"messages\": []\n    },\n    {\n      \"device\": \"dpy1\",\n      \"connector\": "
            "\"DP-1\",\n      \"modelName\": \"DELL AW2518HF\",\n      \"serialNumber\": "
            "\"F5V7893S1JKU\",\n      \"test\": \"resolution_fitting\",\n      \"shortName\": "
            "\"f\",\n      \"itemId\": [9, 1, 10],\n      \"result\": 6,\n      \"resultName\": "
            "\"NotRun\"",
            "\x01", "dpy1: red_purity");
        // The list of tests after a space, as getopt allows; "=" is refused.
        row("tests after a space", {"-Mdisplay", "-Q", "f", "dpy2"}, 0,
            "dpy2  Resolution fitting test: Passed\n    Your system can take full advantage of "
            "your display resolution.\n\ndpy2 \u00b7 E19-7 \u00b7 VGA-1: PASSED (1 passed)\n",
            "Red purity");
        row("tests after =", {"-Mdisplay", "-Q=f"}, 2,
            "\"-Q=f\": the tests follow -Q without \"=\" (-Q\"f\" or -Q f), or use --quick=f.");
        row("a display after -Q and a space", {"-Mdisplay", "-Q", "dpy2", "--no-input"}, 3,
            "dpy2 \u00b7 E19-7 \u00b7 VGA-1: INCOMPLETE (", "dpy1");
        row("who and what for",
            {"-Mdisplay", "-Qf", "dpy2", "--json", "--technician", "Ana L\u00edma", "--ticket=T-7",
             "--notes", "fan \"noisy\""},
            0,
            "{\n  \"technician\": \"Ana L\u00edma\",\n  \"ticket\": \"T-7\",\n  \"notes\": \"fan "
            "\\\"noisy\\\"\",\n  \"runs\": [");
        row("answered yes, --set after --settings",
            Shown + QStringList{"-Qr", "dpy1", "--settings=@file:[CSAT]\nCSAT_TEST_TIMEOUT=x\n",
                                "--set", "CSAT.CSAT_TEST_TIMEOUT=0", "--answers=continue,yes"},
            0, "Red purity test: Passed", "\x01", {},
            {"warning: the setting CSAT.CSAT_TEST_TIMEOUT=\"0\" is a time-out of 0 seconds: the "
             "test windows end at once.",
             "warning: the test windows are drawn on Qt's offscreen platform"});
        // Keys of other modules share the section; only near misses of ours are named.
        // Two slips away is a near miss, three (CSAT_TST_TIMOT) is another module's key.
        row("settings read otherwise than meant",
            {"-Mdisplay", "-Qf", "--set", "CSAT.CSAT_TEST_TIMOT=1", "--set",
             "CSAT.CSAT_TST_TIMOT=1", "--set", "CSAT.CSAT_POPUP_TIMEOUT=1", "--set",
             "CSAT.CSAT_TEST_TIMEOUT_DISPLAY_RED_PURTY_TEST=1", "--set",
             "CSAT.CSAT_TEST_TIMEOUT=12abc", "--set",
             "CSAT.CSAT_TEST_TIMEOUT_DISPLAY_RED_PURITY_TEST= -2.5"},
            0, "Passed", "TST_TIMOT", {},
            {"warning: the setting CSAT.CSAT_TEST_TIMOT is not read by the display module; did "
             "you mean CSAT.CSAT_TEST_TIMEOUT?\n",
             "CSAT.CSAT_TEST_TIMEOUT_DISPLAY_RED_PURTY_TEST is not read by the display module; did "
             "you mean CSAT.CSAT_TEST_TIMEOUT_DISPLAY_RED_PURITY_TEST?\n",
             "warning: the setting CSAT.CSAT_TEST_TIMEOUT=\"12abc\" is read as 12.\n",
             "warning: the setting CSAT.CSAT_TEST_TIMEOUT_DISPLAY_RED_PURITY_TEST=\" -2.5\" is "
             "read as -2.\n",
             "\" -2.5\" is a negative time-out: the test windows have no time-out"});
        // A section next to CSAT, a key in another case, a test's own key cut short.
        row("settings in the wrong place",
            {"-Mdisplay", "-Qf", "--settings=@file:[CSTA]\nCSAT_TEST_TIMEOUT=3\n", "--set",
             "CSAT.csat_test_timeout=2", "--set", "CSAT.CSAT_TEST_TIMEOUT_DISPLAY_RED_PURITY=4"},
            0, "Passed", "\x01", {},
            {"warning: the section [CSTA] is not read by the display module; did you mean [CSAT] "
             "(for CSAT_TEST_TIMEOUT)?\n",
             "warning: the setting CSAT.csat_test_timeout is not read by the display module, which "
             "matches keys exactly; did you mean CSAT.CSAT_TEST_TIMEOUT?\n",
             "warning: the setting CSAT.CSAT_TEST_TIMEOUT_DISPLAY_RED_PURITY is not read by the "
             "display module; did you mean CSAT.CSAT_TEST_TIMEOUT_DISPLAY_RED_PURITY_TEST?\n"});
        // The module's debug lines only with --debug, the host's with both.
        row("verbose", Shown + QStringList{"-Qr", "dpy1", "--answers=continue,yes", "--verbose"}, 0,
            "Passed", "Before show", {}, {"OrvaneDiagnosticsCLI: dpy1: red_purity\n"});
        row("debug", Shown + QStringList{"-Qr", "dpy1", "--answers=continue,yes", "--debug"}, 0,
            "Passed", "\x01", {}, {"OrvaneDiagnosticsCLI: dpy1: red_purity\n", "Before show: 1\n"});
        row("answers left over", Shown + QStringList{"-Qr", "dpy1", "--answers=continue,no,yes"}, 1,
            "Red purity test: Failed", "\x01", {},
            {"warning: 1 answer(s) given with --answers were not used.\n"});
        // Settings that make configure throw: key, value and error, nothing run.
        row("bad --set", {"-Mdisplay", "-Qr", "--set", "CSAT.CSAT_TEST_TIMEOUT=abc", "--json"}, 2,
            "The setting CSAT.CSAT_TEST_TIMEOUT=\"abc\" cannot be used by the test red_purity: "
            "invalid stoi argument.");
        row("bad settings file",
            {"-Mdisplay", "-Q",
             "--settings=@file:\xEF\xBB\xBF; a\r\n[CSAT]\r\nCSAT_TEST_TIMEOUT = \"9999999999\""},
            2,
            "CSAT.CSAT_TEST_TIMEOUT=\"9999999999\" cannot be used by the test red_purity: stoi "
            "argument out of range.");
        row("malformed settings", {"-Mdisplay", "-Qf", "--settings=@file:KEY=1\n"}, 2,
            "the key KEY outside any section on line 1");
        row("unknown option", {"-Mdisplay", "--bogus", "--json"}, 2,
            "are: -M<module>, --help (-h), --list");
        row("near an option", {"-Mdisplay", "-Qf", "--ansers=yes"}, 2,
            "OrvaneDiagnosticsCLI: Unknown option \"--ansers=yes\"; did you mean --answers?\n");
        row("a word for an option", {"help"}, 2, "Unknown command \"help\"; did you mean --help?");
        row("tests without a module", {"-Qf"}, 2, "The tests of -Qf need a module: add -M<module>");
        row("unknown option without a module", {"--lst"}, 2,
            "OrvaneDiagnosticsCLI: Unknown option \"--lst\"; did you mean --list?\n");
        row("unknown module", {"-Mnope", "-Q"}, 2, "\"nope\"; the available modules are: display");
        row("unknown test", {"-Mdisplay", "-Q\"f,zz\"", "--json"}, 2,
            "Unknown test \"zz\"; the tests of --quick are: r (red_purity), g (green_purity)");
        row("bad display", {"-Mdisplay", "-Q", "dpy9"}, 2, "displays are: 0 (all), dpy1, dpy2");
        row("bad display to list", {"--list", "dpy9", "--json"}, 2,
            "Unknown device \"dpy9\"; the displays are: 0 (all), dpy1, dpy2.");
        // No display at all: status 4, and the empty document still written.
        row("no display to list", {"-l", "--json", "--platform=sim:@file:{\"displays\": []}"}, 4,
            "No displays were found.");
        row("no display to run",
            {"-Mdisplay", "-Qf", "--json", "--platform=sim:@file:{\"displays\": []}"}, 4,
            "No displays were found; nothing was run.");
        row("no display named",
            {"-Mdisplay", "-Qf", "dpy1", "--platform=sim:@file:{\"displays\": []}"}, 4,
            "No displays were found; nothing was run.");
        row("bad answers", {"-Mdisplay", "-Qf", "--answers=perhaps"}, 2, "\"perhaps\"");
        row("unknown platform", {"--list", "--platform=vga"}, 2, "\"vga\"; choose auto, x11");
        row("broken desk", {"--list", "--json", "--platform=sim:@file:{"}, 2,
            "file:1:2: JSON syntax error: unterminated object.");
        row("bad --set form", {"-Mdisplay", "-Q", "--set", "CSAT=1"}, 2,
            "the form SECTION.KEY=VALUE");
        row("missing module", {"--module-path=/no/m.so", "--list"}, 2, "/no/m.so does not exist");
        row("file name as written", {"--list", "--platform=sim:nope.json"}, 2,
            ": nope.json: cannot read");
        row("not a module", {"--module-path=@platformlib", "--list"}, 2,
            "does not export the symbol GetModuleInterfaceInstance.");
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, expected);
        QFETCH(QByteArray, absent);
        QFETCH(QByteArray, marker);
        QFETCH(QByteArrayList, warnings);
        QTemporaryDir dir;
        QFile file(dir.filePath("file"));
        for (QString& argument : arguments) {
            argument.replace("@platformlib", qEnvironmentVariable("HOST_PLATFORM_LIBRARY"));
            const int at = argument.indexOf("@file:");
            if (at >= 0 && file.open(QIODevice::WriteOnly) &&
                file.write(argument.mid(at + 6).toUtf8()))
                argument = argument.left(at) + file.fileName();
            file.close();
        }
        if (!arguments.join(' ').contains("--platform"))
            arguments << "--platform=sim:examples/desks/office.json";
        const Cli cli = runCli(arguments, marker);
        const QByteArray report = "status " + QByteArray::number(cli.status) + "\nstdout:\n" +
                                  cli.out + "\nstderr:\n" + cli.err;
        const bool nothingRun = status == 2 || status == 4;
        bool warned = true;
        for (const QByteArray& warning : warnings)
            warned = warned && cli.err.contains(warning);
        // Without a terminal nothing is drawn in place.
        QVERIFY2(cli.status == status && !cli.out.contains(absent) && !cli.err.contains(absent) &&
                     !(cli.out + cli.err).contains('\033') &&
                     (nothingRun ? cli.err : cli.out).contains(expected) && warned,
                 report.constData());
        if (!nothingRun)
            return;
        // One line on stderr; on stdout nothing, {"error": ...} or an empty list.
        QCOMPARE(cli.err.count('\n'), 1);
        if (!arguments.contains("--json"))
            QVERIFY(cli.out.isEmpty());
        else if (status == 2)
            QCOMPARE(parse(cli.out).keys(), QStringList{"error"});
        else
            QVERIFY(parse(cli.out).begin()->toArray().isEmpty());
    }

    // A person answering at the terminal. Questions, progress and warnings
    // go to the terminal; standard output has the results alone.
    void atTerminal_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("marker"); // Ctrl+C when the terminal shows it
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("results"); // on stdout
        QTest::addColumn<QByteArrayList>("shown");
        QTest::addColumn<QByteArray>("absent"); // from the terminal
        const QStringList redGreen = Shown + QStringList{"-Q\"r,g\"", "dpy1"};
        QTest::newRow("answers, asked again")
            << redGreen << QByteArray("\nmaybe\nY\nx\n") << QByteArray() << 3
            << QByteArray("dpy1  Red purity test: Passed\ndpy1  Green purity test: Aborted\n")
            << QByteArrayList{"\ndpy1 · DELL AW2518HF · DP-1  Red purity test\n  The display will "
                              "turn red for a few seconds.",
                              "  Was the colour even over the whole screen, without dots, spots "
                              "or stains?\nYes or no? [y/n]   Please answer y (yes) or n (no).\n"
                              "Yes or no? [y/n] ",
                              "\r\033[Kdpy1 · DELL AW2518HF · DP-1  Red purity test  50%  0 s"}
            << QByteArray("cancel (");
        QTest::newRow("long words in capitals")
            << Shown + QStringList{"-Qr", "dpy1"} << QByteArray("CONTINUE\nNo\n") << QByteArray()
            << 1 << QByteArray("dpy1  Red purity test: Failed\n") << QByteArrayList{}
            << QByteArray("Please answer");
        // Nothing is asked after the end of input; what never started is not run.
        QTest::newRow("end of input")
            << redGreen << QByteArray("c\n\x04") << QByteArray() << 3
            << QByteArray("dpy1  Red purity test: Aborted\ndpy1  Green purity test: Not run\n\n"
                          "dpy1 · DELL AW2518HF · DP-1: INCOMPLETE (1 aborted, 1 not run)\n")
            << QByteArrayList{"Yes or no? [y/n] cancel (end of input)\n",
                              "end of input: the tests not started are not run."}
            << QByteArray("turn green");
        QTest::newRow("Ctrl+C at a prompt")
            << redGreen << QByteArray() << QByteArray("[C/x] ") << 3
            << QByteArray("dpy1  Red purity test: Aborted\ndpy1  Green purity test: Not run\n")
            << QByteArrayList{" cancel (interrupted)\n",
                              "stopping; press Ctrl+C again to quit at once."}
            << QByteArray("turn green");
        QTest::newRow("--no-input")
            << QStringList{"-Mdisplay", "-Qr", "dpy1", "--no-input"} << QByteArray("c\n")
            << QByteArray() << 3 << QByteArray("dpy1  Red purity test: Not performed\n")
            << QByteArrayList{} << QByteArray("[C/x]");
        QTest::newRow("--answers")
            << Shown + QStringList{"-Qr", "dpy1", "--answers=continue,no", "--json"}
            << QByteArray("c\ny\n") << QByteArray() << 1 << QByteArray("\"resultName\": \"Failed\"")
            << QByteArrayList{} << QByteArray("[C/x]");
    }

    void atTerminal()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, marker);
        QFETCH(int, status);
        QFETCH(QByteArray, results);
        QFETCH(QByteArrayList, shown);
        QFETCH(QByteArray, absent);
        const Cli cli =
            runAtTerminal(arguments << "--platform=sim:examples/desks/office.json", typed, marker);
        const QByteArray report = "status " + QByteArray::number(cli.status) + "\nstdout:\n" +
                                  cli.out + "\nterminal:\n" + cli.err;
        bool all = true;
        for (const QByteArray& text : shown)
            all = all && cli.err.contains(text);
        QVERIFY2(cli.status == status && all && !cli.err.contains(absent) &&
                     cli.out.contains(results) && !cli.out.contains('\033') &&
                     !cli.out.contains("[C/x]") && !cli.out.contains("[y/n]"),
                 report.constData());
    }

    // --edid writes hex lines to a terminal, raw bytes to a pipe.
    void edidAtATerminal()
    {
        const QStringList arguments{"--edid", "dpy1", "--platform=sim:examples/desks/office.json"};
        const Cli terminal = runAtTerminal(arguments, {}, {}, true);
        const QList<QByteArray> lines = terminal.err.trimmed().split('\n');
        QCOMPARE(terminal.status, 0);
        QVERIFY2(lines.size() % 8 == 0 && lines[0] == "00ffffffffffff0010ac01a1" + lines[0].mid(24),
                 terminal.err.constData());
        for (const QByteArray& line : lines)
            QVERIFY(QRegularExpression("^[0-9a-f]{32}$").match(QString::fromLatin1(line)).hasMatch());
        const Cli piped = runCli(arguments);
        QCOMPARE(piped.out.toHex(), lines.join(""));
    }

    void helpIsTheModulesTextByteForByte()
    {
        QFile file("autotests/host/data/display-help.txt");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray expected = file.readAll();
        for (const char* option : {"--help", "-h"}) {
            const Cli cli = runCli({"-Mdisplay", option});
            QCOMPARE(cli.status, 0);
            QCOMPARE(cli.out, expected);
        }
    }

    void everyExampleDeskListsAndRuns()
    {
        const QFileInfoList desks = QDir("examples/desks").entryInfoList({"*.json"});
        QVERIFY(desks.size() >= 5);
        for (const QFileInfo& desk : desks) {
            const QString platform = "--platform=sim:" + desk.filePath();
            const Cli list = runCli({"--list", "--json", platform});
            QCOMPARE(list.status, 0);
            const Cli all = runCli({"-Mdisplay", "-Q", "--json", platform});
            QVERIFY2(all.status == 0 || all.status == 1 || all.status == 3, all.err.constData());
            QCOMPARE(parse(all.out)["runs"].toArray().size(),
                     parse(list.out)["devices"].toArray().size() * 11);
        }
    }

    // What each typed line answers: 1 continue, 0 cancel, 3 yes, 4 no, -1 ask
    // again. A word of the other kind of question is no answer.
    void typedAnswers_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("confirmation");
        QTest::addColumn<int>("yesNo");
        QTest::newRow("empty") << QByteArray("") << 1 << -1;
        QTest::newRow("c") << QByteArray(" c ") << 1 << -1;
        QTest::newRow("Continue") << QByteArray("Continue") << 1 << -1;
        QTest::newRow("X") << QByteArray("X") << 0 << -1;
        QTest::newRow("cancel") << QByteArray("cancel\r") << 0 << -1;
        QTest::newRow("y") << QByteArray("y") << -1 << 3;
        QTest::newRow("YES") << QByteArray("YES") << -1 << 3;
        QTest::newRow("n") << QByteArray("n") << -1 << 4;
        QTest::newRow("No") << QByteArray("No") << -1 << 4;
        QTest::newRow("y es") << QByteArray("y es") << -1 << -1;
        QTest::newRow("1") << QByteArray("1") << -1 << -1;
    }

    void typedAnswers()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, confirmation);
        QFETCH(int, yesNo);
        QCOMPARE(TerminalRequestHandler::parseAnswer(line.toStdString(), 0), confirmation);
        QCOMPARE(TerminalRequestHandler::parseAnswer(line.toStdString(), 2), yesNo);
    }

    // The line never wraps, which would break drawing it in place: the text
    // gives way, never in the middle of a character, the seconds stay.
    void progressLineFitsTheTerminal_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("room enough") << 80 << QByteArray("dpy1 · DELL  Red  50%  Showing  7 s");
        QTest::newRow("text cut") << 32 << QByteArray("dpy1 · DELL  Red  50%  Sh…  7 s");
        QTest::newRow("cut before a character") << 12 << QByteArray("dpy1 …  7 s");
        QTest::newRow("no width known") << 0 << QByteArray("dpy1 · DELL  Red  50%  Showing  7 s");
    }

    void progressLineFitsTheTerminal()
    {
        QFETCH(int, width);
        QFETCH(QByteArray, line);
        const std::string composed =
            ProgressLine::compose("dpy1 · DELL", "Red", 50, "Showing", 7, width);
        QCOMPARE(QByteArray::fromStdString(composed), line);
        QVERIFY(width == 0 || QString::fromStdString(composed).size() < width);
    }

    // Texts are byte strings: every byte maps to the character with its code.
    void jsonKeepsEveryByte()
    {
        std::string bytes;
        for (int b = 0; b < 256; ++b)
            bytes += char(b);
        const QByteArray document =
            QByteArray::fromStdString("{\"v\": " + JsonReport::quoted(bytes) + "}");
        QVERIFY(!document.contains('\n') && !document.contains('\x01'));
        QCOMPARE(parse(document)["v"].toString().toLatin1().toStdString(), bytes);
    }

    // Every text key of the module's catalogue, read from its source so that a
    // key added there without a translation fails here.
    void everyKeyHasAnEnglishText()
    {
        KeyTranslator translator;
        QVERIFY(translator.load());
        QFile file("module/Keys.cpp");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString source =
            QString::fromUtf8(file.readAll()).remove(QRegularExpression("#include.*\n"));
        int count = 0;
        for (const QString& statement : source.split(';')) {
            QString key; // adjacent literals are one text
            for (auto match = QRegularExpression("\"([^\"]*)\"").globalMatch(statement);
                 match.hasNext();)
                key += match.next().captured(1);
            // Configuration keys are read, not shown; ": " and ", " are glue.
            if (key.startsWith("CSAT") || !key.contains(QRegularExpression("[A-Z]")))
                continue;
            ++count;
            QVERIFY2(
                translator.hasTranslation(key.toStdString()) &&
                    !translator.text(key.toStdString()).contains(QRegularExpression("[A-Z]{2,}_")),
                qPrintable(key));
        }
        QVERIFY(count >= 60);
        QCOMPARE(translator.text("AN_INTERNAL_ERROR_OCCURRED._|THIS_DOES_NOT_INDICATE_A_FAILURE._|"
                                 "PLEASE_TRY_AGAIN."),
                 QString("An internal error occurred. This does not indicate a failure. Please "
                         "try again."));
    }

    // On the real X server of scripts/integration.sh: displays from RandR and
    // the pattern window shown on the first one.
    void onXServer()
    {
        if (!qEnvironmentVariableIsSet("HOST_ON_X_SERVER") ||
            qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("runs through scripts/integration.sh");
        const Cli list = runCli({"--platform=x11", "--list", "--json", "--verbose"});
        QVERIFY(list.status == 0 && list.err.contains("display backend x11"));
        const int devices = parse(list.out)["devices"].toArray().size();
        QVERIFY(devices >= 1);
        const Cli fitting = runCli({"--platform=x11", "-Mdisplay", "-Qf", "--json"});
        QCOMPARE(parse(fitting.out)["runs"].toArray().size(), devices);
        const Cli red = runCli({"--platform=x11", "-Mdisplay", "-Qr", "dpy1", "--set",
                                "CSAT.CSAT_TEST_TIMEOUT=1", "--answers=continue,yes"});
        QVERIFY2(red.status == 0, red.err.constData());
        // At a terminal the question names the display with its RandR output.
        const Cli asked = runAtTerminal(
            {"--platform=x11", "-Mdisplay", "-Qr", "dpy1", "--set", "CSAT.CSAT_TEST_TIMEOUT=1"},
            "c\ny\n", {});
        QVERIFY2(asked.status == 0 &&
                     QString::fromUtf8(asked.err).contains(QRegularExpression(
                         "\ndpy1 · [^\n]+ · [A-Za-z]+-?[0-9]+  Red purity test\n")),
                 asked.err.constData());
    }
};

QTEST_MAIN(CliTest)
#include "CliTest.moc"
