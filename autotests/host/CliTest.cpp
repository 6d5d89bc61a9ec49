// The command-line host as users and CI jobs run it: the display module
// loaded from the build, on the example desks. One row per command line. The
// tests run in the source folder, so paths are relative to it.
#include "host/runtime/JsonReport.h"
#include "host/runtime/KeyTranslator.h"

#include <QtTest>

#include <csignal>

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

QJsonObject parse(const QByteArray& text)
{
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(text, &error).object();
    [&]() { QVERIFY2(!error.error, text.constData()); }(); // records a failure, goes on
    return object;
}

void row(const char* name, const QStringList& arguments, int status, const QByteArray& expected,
         const QByteArray& absent = "\x01", const QByteArray& marker = {})
{
    QTest::newRow(name) << arguments << status << expected << absent << marker;
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
        QTest::addColumn<QByteArray>("expected"); // on stdout, or stderr for status 2
        QTest::addColumn<QByteArray>("absent");   // from stdout
        QTest::addColumn<QByteArray>("marker");   // Ctrl+C when the output shows it
        row("list json", {"--list", "--json"}, 0,
            "\"id\": \"dpy1\",\n      \"name\": \"DELLAW2518HF\",\n      \"properties\": [\n"
            "        {\"key\": \"UDI\", \"value\": \"dpy1\"},\n"
            "        {\"key\": \"DISPLAY_INDEX\", \"value\": \"1\"},");
        row("list", {"--list"}, 0, "dpy2: E19-7\n    Identifier: dpy2\n    Display index: 2\n",
            "_");
        row("modules", {"--help"}, 0, "Available modules: display\n");
        row("run json", {"-Mdisplay", "-Q\"f\"", "0", "--json"}, 0,
            "\"device\": \"dpy2\",\n      \"connector\": \"VGA-1\",\n"
            "      \"modelName\": \"E19-7\",\n      \"serialNumber\": \"YE5T102481\",\n"
            "      \"test\": \"resolution_fitting\",\n"
            "      \"shortName\": \"f\",\n      \"itemId\": [9, 1, 10],\n      \"result\": 0,\n"
            "      \"resultName\": \"Passed\",\n      \"progress\": [\n"
            "        {\"percent\": 0, \"text\": \"\"},");
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
            "dpy1  Display interactive test: Aborted\ndpy2  Red purity test: Aborted\n");
        row("sample settings", {"-Mdisplay", "-Q", "--settings", "examples/settings/display.ini"},
            3, "dpy2  Resolution fitting test: Passed");
        row("Ctrl+C", {"-Mdisplay", "-Q\"r,f\"", "--json", "--verbose", "--answers=continue,yes"},
            3, "\"resultName\": \"Aborted\"", "resolution_fitting", "dpy1: red_purity");
        row("answered yes, --set after --settings",
            Shown + QStringList{"-Qr", "dpy1", "--settings=@file:[CSAT]\nCSAT_TEST_TIMEOUT=x\n",
                                "--set", "CSAT.CSAT_TEST_TIMEOUT=0", "--answers=continue,yes"},
            0, "Red purity test: Passed");
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
        row("unknown module", {"-Mnope", "-Q"}, 2, "\"nope\"; the available modules are: display");
        row("unknown test", {"-Mdisplay", "-Q\"f,zz\"", "--json"}, 2,
            "Unknown test \"zz\"; the tests of --quick are: r (red_purity), g (green_purity)");
        row("bad display", {"-Mdisplay", "-Q", "dpy9"}, 2, "displays are: 0 (all), dpy1, dpy2");
        row("bad answers", {"-Mdisplay", "-Qf", "--answers=perhaps"}, 2, "\"perhaps\"");
        row("unknown platform", {"--list", "--platform=vga"}, 2, "\"vga\"; choose auto, x11");
        row("broken desk", {"--list", "--json", "--platform=sim:@file:{"}, 2,
            "file:1:2: JSON syntax error: unterminated object.");
        row("bad --set form", {"-Mdisplay", "-Q", "--set", "CSAT=1"}, 2,
            "the form SECTION.KEY=VALUE");
        row("missing module", {"--module-path=/no/m.so", "--list"}, 2, "/no/m.so does not exist");
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
        QVERIFY2(cli.status == status && !cli.out.contains(absent) &&
                     (status == 2 ? cli.err : cli.out).contains(expected),
                 report.constData());
        // A usage error is one line on stderr and on stdout nothing, or {"error": ...}.
        QVERIFY(status != 2 || cli.err.count('\n') == 1);
        QCOMPARE(arguments.contains("--json") ? parse(cli.out).keys() == QStringList{"error"}
                                              : cli.out.isEmpty(),
                 status == 2);
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
    }
};

QTEST_MAIN(CliTest)
#include "CliTest.moc"
