// The command-line host against the fake module: syntax, documents, exit
// statuses and errors, independent of real displays.
#include "CliProcess.h"

#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
CliProcess fake(QStringList arguments, int timeoutMs = 60000)
{
    arguments.prepend(fakeModuleOption());
    return CliProcess::run(arguments, timeoutMs);
}

QStringList resultNames(const QJsonObject& document)
{
    QStringList names;
    for (const QJsonValue& run : document["runs"].toArray())
        names << run.toObject()["device"].toString() + ":" +
                     run.toObject()["shortName"].toString() + "=" +
                     run.toObject()["resultName"].toString();
    return names;
}
} // namespace

TEST(Cli, ModuleHelpIsPrintedByteForByte)
{
    for (const char* option : {"--help", "-h"}) {
        const CliProcess cli = fake({"-Mfake", option});
        EXPECT_EQ(cli.exitCode, 0) << cli.describe().toStdString();
        EXPECT_EQ(cli.out, QByteArray("Fake Module help:\n\t\"quoted\" \\ tab\t\n\n"));
    }
    const CliProcess bare = fake({"--help"});
    EXPECT_EQ(bare.exitCode, 0);
    EXPECT_TRUE(bare.out.contains("Available modules: fake\n")) << bare.out.toStdString();
    EXPECT_TRUE(bare.out.startsWith("Usage: OrvaneDiagnosticsCLI"));
}

TEST(Cli, ListDocumentKeepsKeysOrderAndEveryByte)
{
    const CliProcess cli = fake({"--list", "--json"});
    ASSERT_EQ(cli.exitCode, 0) << cli.describe().toStdString();
    const QJsonArray devices = cli.json()["devices"].toArray();
    ASSERT_EQ(devices.size(), 2);
    const QJsonObject first = devices[0].toObject();
    EXPECT_EQ(first["id"].toString(), "dpy1");
    EXPECT_EQ(first["name"].toString().toLatin1(), QByteArray("Caf\xe9\x01 \"Panel\"\\"));
    const QJsonArray properties = first["properties"].toArray();
    ASSERT_EQ(properties.size(), 3);
    EXPECT_EQ(properties[0].toObject()["key"].toString(), "UDI");
    EXPECT_EQ(properties[2].toObject()["value"].toString(), "DIGITAL");
    EXPECT_EQ(devices[1].toObject()["name"].toString(), "GENERIC_DISPLAY");

    const CliProcess human = fake({"--list"});
    EXPECT_EQ(human.exitCode, 0);
    EXPECT_TRUE(human.out.contains("dpy2: Generic display\n")) << human.out.toStdString();
    EXPECT_TRUE(human.out.contains("    Identifier: dpy2\n"));
    EXPECT_TRUE(human.out.contains("    Input type: Digital\n"));
}

TEST(Cli, RunDocumentRecordsEveryReportInOrder)
{
    const CliProcess cli = fake({"-Mfake", "-Q\"p,s\"", "--json"});
    EXPECT_EQ(cli.exitCode, 1) << "dpy2 fails the passing test";
    const QJsonObject document = cli.json();
    EXPECT_EQ(resultNames(document),
              QStringList({"dpy1:p=Passed", "dpy1:s=Passed", "dpy2:p=Failed", "dpy2:s=Passed"}));
    const QJsonObject first = document["runs"].toArray()[0].toObject();
    EXPECT_EQ(first["test"].toString(), "passing");
    EXPECT_EQ(first["itemId"].toArray(), QJsonArray({7, 1, 1}));
    EXPECT_EQ(first["result"].toInt(), 0);
    const QJsonArray progress = first["progress"].toArray();
    ASSERT_EQ(progress.size(), 3);
    EXPECT_EQ(progress[1].toObject()["percent"].toInt(), 50);
    EXPECT_EQ(progress[1].toObject()["text"].toString(), "FAKE_HALF_WAY");
    EXPECT_EQ(first["messages"].toArray(), QJsonArray({"FAKE_PASSED."}));
}

TEST(Cli, SelectionSyntaxAndExitStatuses)
{
    const struct
    {
        QStringList arguments;
        int status;
        QStringList results;
    } rows[] = {
        {{"-Q\"p\"", "dpy1"}, 0, {"dpy1:p=Passed"}},
        {{"--quick=passing", "dpy1"}, 0, {"dpy1:p=Passed"}},
        {{"--quick=\"s,passing\"", "dpy2", "dpy1"},
         1,
         {"dpy1:p=Passed", "dpy1:s=Passed", "dpy2:p=Failed", "dpy2:s=Passed"}},
        {{"-Qp", "0"}, 1, {"dpy1:p=Passed", "dpy2:p=Failed"}},
        // Attended tests are not performed without scripted answers.
        {{"-Qa,p", "dpy1"}, 3, {"dpy1:p=Passed", "dpy1:a=NotPerformed"}},
        {{"-Qa", "dpy1", "--answers=continue,yes"}, 0, {"dpy1:a=Passed"}},
        {{"-Qa", "dpy1", "--answers", "1,4"}, 1, {"dpy1:a=Failed"}},
        {{"-Qa", "dpy1", "--answers=cancel"}, 3, {"dpy1:a=Aborted"}},
        // No answers left: cancel.
        {{"-Qa", "--answers=continue,yes"}, 3, {"dpy1:a=Passed", "dpy2:a=Aborted"}},
    };
    for (const auto& row : rows) {
        QStringList arguments = row.arguments;
        arguments << "-Mfake"
                  << "--json";
        const CliProcess cli = fake(arguments);
        EXPECT_EQ(cli.exitCode, row.status) << row.arguments.join(' ').toStdString() << "\n"
                                            << cli.describe().toStdString();
        EXPECT_EQ(resultNames(cli.json()), row.results) << row.arguments.join(' ').toStdString();
    }

    const CliProcess human = fake({"-Mfake", "-Qa", "dpy1"});
    EXPECT_EQ(human.exitCode, 3);
    EXPECT_TRUE(human.out.contains(
        "dpy1  FAKE_TEST_2: Not performed\n    This test cannot be performed because the "
        "application could not recognize the input type.\n"))
        << human.out.toStdString();
}

TEST(Cli, UsageErrorsNameTheValidChoicesAndRunNothing)
{
    const struct
    {
        QStringList arguments;
        const char* expected;
    } rows[] = {
        {{"-Mfake", "--bogus"}, "--bogus\"; the options are: -M<module>"},
        {{"-Mfake", "-X"}, "-Q, --quick"},
        {{"-Mnope", "-Q"}, "Unknown module \"nope\"; the available modules are: fake"},
        {{"-Q"}, "Choose a module with -M<module> (available: fake)"},
        {{"-Mfake", "-Q\"p,zz\""},
         "\"zz\"; the tests of --quick are: p (passing), a (attended), "
         "s (strict), w (waiting)"},
        {{"-Mfake", "-Qp", "dpy9"}, "\"dpy9\"; the displays are: 0 (all), dpy1, dpy2"},
        {{"-Mfake"}, "Nothing to run"},
        {{"-Mfake", "-Qp", "--answers=perhaps"}, "\"perhaps\""},
        {{"-Mfake", "-Qp", "--platform=vga"}, "Unknown platform \"vga\"; choose auto, x11"},
        {{"-Mfake", "-Qp", "--platform=sim:"}, "needs the path of a desk file"},
        {{"-Mfake", "-Qp", "--settings"}, "The option --settings needs a value"},
        {{"-Mfake", "-Qp", "--settings=/nonexistent.ini"}, "/nonexistent.ini cannot be read"},
        {{"-Mfake", "-Qp", "--set", "CSAT=1"}, "is not of the form SECTION.KEY=VALUE"},
        {{"--list", "-Qp"}, "--list takes no tests or devices"},
    };
    for (const auto& row : rows) {
        QStringList arguments = row.arguments;
        arguments << "--json";
        const CliProcess cli = fake(arguments);
        EXPECT_EQ(cli.exitCode, 2) << cli.describe().toStdString();
        EXPECT_TRUE(cli.err.contains(row.expected)) << cli.describe().toStdString();
        EXPECT_EQ(cli.err.count('\n'), 1) << "one sentence: " << cli.err.toStdString();
        EXPECT_TRUE(cli.json().contains("error")) << "stdout stays valid JSON";
        EXPECT_FALSE(cli.json().contains("runs"));
    }
    const CliProcess missing = CliProcess::run({"--module-path=/nonexistent/libm.so", "--list"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains("/nonexistent/libm.so does not exist"));
}

TEST(Cli, SettingsThatMakeConfigureThrowStopTheWholeRun)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("settings.ini");
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[CSAT]\nCSAT_TEST_TIMEOUT=20\nFAKE_LIMIT=twelve\n");
    file.close();

    const CliProcess fromFile = fake({"-Mfake", "-Q\"p,s\"", "--settings", ini});
    EXPECT_EQ(fromFile.exitCode, 2);
    EXPECT_TRUE(fromFile.err.contains(
        "CSAT.FAKE_LIMIT=\"twelve\" cannot be used by the test strict: invalid stoi argument"))
        << fromFile.describe().toStdString();
    EXPECT_TRUE(fromFile.out.isEmpty()) << "nothing ran";

    // --set comes after the file and replaces its value.
    const CliProcess fixed =
        fake({"-Mfake", "-Qs", "--settings=" + ini, "--set", "CSAT.FAKE_LIMIT=12", "--json"});
    EXPECT_EQ(fixed.exitCode, 0) << fixed.describe().toStdString();
    const CliProcess range = fake({"-Mfake", "-Qs", "--set=CSAT.FAKE_LIMIT=99999999999"});
    EXPECT_EQ(range.exitCode, 2);
    EXPECT_TRUE(range.err.contains("\"99999999999\"") &&
                range.err.contains("stoi argument out of range"))
        << range.describe().toStdString();
}

TEST(Cli, CtrlCStopsTheRunningTestAndASecondOneQuitsAtOnce)
{
    const CliProcess once = CliProcess::interrupt(
        {fakeModuleOption(), "-Mfake", "-Q\"w,p\"", "--json", "--verbose"}, "dpy1: waiting");
    EXPECT_EQ(once.exitCode, 3) << once.describe().toStdString();
    const QJsonObject document = once.json();
    EXPECT_EQ(resultNames(document), QStringList({"dpy1:p=Passed", "dpy1:w=Aborted"}))
        << "no test starts after the stop";
    EXPECT_EQ(document["runs"].toArray()[1].toObject()["messages"].toArray(),
              QJsonArray({"FAKE_STOPPED"}));

    // A test that does not honour the stop: only the second Ctrl+C ends it.
    const CliProcess twice = CliProcess::interrupt(
        {fakeModuleOption(), "-Mfake", "-Qw", "--verbose", "--json", "--set=FAKE.IGNORE_STOP=1"},
        "dpy1: waiting", 2);
    EXPECT_EQ(twice.exitCode, 130) << twice.describe().toStdString();
    EXPECT_TRUE(twice.json()["runs"].toArray().isEmpty()) << "standard output stays valid JSON";
}
