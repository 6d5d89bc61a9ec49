// The command-line host with the real display module on the example desks:
// what a user and a CI job see.
#include "CliProcess.h"

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
const QString ConclusionFull = "YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION.";
const QString ConclusionShort = "YOUR_SYSTEM_CAN'T_REACH_THE_MAXIMUM_RESOLUTION_OF_YOUR_DISPLAY.";
const QString InputTypeKey =
    "THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_APPLICATION_COULD_NOT_RECOGNIZE_THE_INPUT_TYPE";

class CliDisplay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const CliProcess probe = CliProcess::run({"-Mdisplay", "--help"});
        if (probe.exitCode != 0)
            GTEST_SKIP() << "the display module is not complete yet: " << probe.err.toStdString();
        office = sourcePath("examples/desks/office.json");
        if (!QFile::exists(office))
            GTEST_SKIP() << "the example desks are not there yet";
    }
    CliProcess onOffice(QStringList arguments)
    {
        arguments << "--platform=sim:" + office;
        return CliProcess::run(arguments);
    }
    QString office;
};

QJsonObject onlyRun(const CliProcess& cli)
{
    const QJsonArray runs = cli.json()["runs"].toArray();
    EXPECT_EQ(runs.size(), 1) << cli.describe().toStdString();
    return runs.isEmpty() ? QJsonObject() : runs[0].toObject();
}
} // namespace

TEST_F(CliDisplay, HelpIsTheModulesTextByteForByte)
{
    const QByteArray program = "OrvaneDiagnosticsCLI";
    const QByteArray expected =
        "Display Module help:\n"
        "  Usage: " +
        program +
        " -Mdisplay [diagnostic]\"[test(s)]\" [device id(s)]\n"
        "\n"
        " Diagnostics:\n"
        "   -Q, --quick  Runs all test(s) of Display diagnostic\n"
        "   -Q\"[test(s)]\", --quick=\"[test(s)]\"  Runs chosen test(s) of Display diagnostic\n"
        "\n"
        " Tests:\n"
        "   r, red_purity\t\t\tRed Purity Test*\n"
        "   g, green_purity\t\t\tGreen Purity Test*\n"
        "   b, blue_purity\t\t\tBlue Purity Test*\n"
        "   k, black_purity\t\t\tBlack Purity Test*\n"
        "   w, white_purity\t\t\tWhite Purity Test*\n"
        "   c, color_transition\t\t\tColor Transition Test*\n"
        "   m, mono_mesh\t\t\t        Monochroamtic Mesh Test*\n"
        "   i, inv_mono_mesh\t\t\tInverted Monochroamtic Mesh Test*\n"
        "   s, sharpness\t\t\t        Sharpness Test*\n"
        "   f, resolution_fitting\t\tResolution Fitting Test\n"
        "   n, interactive_test\t                Display Interactive Test*\n"
        "\n   * Test not supported on CLI\n"
        "\n"
        " Examples:\n"
        "  => Performs Resolution Fitting Test test on all display devices:\n"
        "      " +
        program +
        " -Mdisplay -Q\"f\"\n"
        "\n"
        "  => Performs all tests on all diplay devices:\n"
        "      " +
        program +
        " -Mdisplay -Q 0\n"
        "      " +
        program +
        " -Mdisplay -Q\n"
        "      " +
        program +
        " -Mdisplay 0\n"
        "\n"
        "  => Performs Resolution Fitting Test on device dpy1:\n"
        "      " +
        program + " -Mdisplay -Q\"f\" dpy1\n\n";
    for (const char* option : {"--help", "-h"}) {
        const CliProcess cli = CliProcess::run({"-Mdisplay", option});
        EXPECT_EQ(cli.exitCode, 0);
        EXPECT_EQ(cli.out, expected);
    }
}

TEST_F(CliDisplay, ListsTheOfficeDesk)
{
    const CliProcess cli = onOffice({"--list", "--json"});
    ASSERT_EQ(cli.exitCode, 0) << cli.describe().toStdString();
    const QJsonArray devices = cli.json()["devices"].toArray();
    ASSERT_EQ(devices.size(), 2);
    const QStringList order = {
        "UDI",        "DISPLAY_INDEX", "CURRENT_RESOLUTION", "MANUFACTURER_ID",
        "MODEL_NAME", "EDID_VERSION",  "NATIVE_RESOLUTION",  "SCREEN_SIZE",
        "INPUT_TYPE", "DRIVER_VERSION"};
    for (int d = 0; d < devices.size(); ++d) {
        const QJsonObject device = devices[d].toObject();
        EXPECT_EQ(device["id"].toString(), QString("dpy%1").arg(d + 1));
        int last = -1;
        for (const QJsonValue& property : device["properties"].toArray()) {
            const int at = order.indexOf(property.toObject()["key"].toString());
            EXPECT_GT(at, last) << "properties in the module's order";
            last = at;
        }
    }
    const CliProcess human = onOffice({"--list"});
    EXPECT_TRUE(human.out.contains("dpy1: ") && human.out.contains("    Identifier: dpy1\n"))
        << human.describe().toStdString();
    EXPECT_FALSE(human.out.contains("_")) << "every key translated";
}

TEST_F(CliDisplay, RunsTheResolutionFittingTestOnEveryDisplay)
{
    const CliProcess cli = onOffice({"-Mdisplay", "-Q\"f\"", "--json"});
    const QJsonArray runs = cli.json()["runs"].toArray();
    ASSERT_EQ(runs.size(), 2) << cli.describe().toStdString();
    int expectedStatus = 0;
    for (int r = 0; r < runs.size(); ++r) {
        const QJsonObject run = runs[r].toObject();
        EXPECT_EQ(run["device"].toString(), QString("dpy%1").arg(r + 1));
        EXPECT_EQ(run["test"].toString(), "resolution_fitting");
        EXPECT_EQ(run["shortName"].toString(), "f");
        EXPECT_EQ(run["itemId"].toArray(), QJsonArray({9, 1, 10}));
        const QJsonArray progress = run["progress"].toArray();
        ASSERT_FALSE(progress.isEmpty());
        EXPECT_EQ(progress.first().toObject()["percent"].toInt(), 0);
        EXPECT_EQ(progress.last().toObject()["percent"].toInt(), 100);
        for (const QJsonValue& message : run["messages"].toArray())
            EXPECT_TRUE(message.toString() == ConclusionFull ||
                        message.toString() == ConclusionShort)
                << message.toString().toStdString();
        const int result = run["result"].toInt();
        if (result == 1)
            expectedStatus = 1;
        else if (result != 0 && expectedStatus == 0)
            expectedStatus = 3;
    }
    EXPECT_EQ(cli.exitCode, expectedStatus);

    // The sample settings configure every test without an error.
    const CliProcess withSettings = onOffice(
        {"-Mdisplay", "-Q", "--json", "--settings", sourcePath("examples/settings/display.ini")});
    EXPECT_TRUE(withSettings.exitCode == 0 || withSettings.exitCode == 3)
        << withSettings.describe().toStdString();

    const CliProcess one = onOffice({"-Mdisplay", "--quick=resolution_fitting", "dpy2"});
    EXPECT_TRUE(one.out.startsWith("dpy2  Resolution fitting test: "))
        << one.describe().toStdString();
    EXPECT_FALSE(one.out.contains("dpy1"));
}

TEST_F(CliDisplay, AttendedTestsNeedScriptedAnswers)
{
    const CliProcess unattended = onOffice({"-Mdisplay", "-Q\"r\"", "dpy1", "--json"});
    EXPECT_EQ(unattended.exitCode, 3);
    const QJsonObject notPerformed = onlyRun(unattended);
    EXPECT_EQ(notPerformed["resultName"].toString(), "NotPerformed");
    EXPECT_EQ(notPerformed["messages"].toArray(), QJsonArray({InputTypeKey}));

    // The pattern window runs for real and ends at its (zero) time-out.
    const QStringList scripted = {"-Mdisplay", "-Qr",   "dpy1",
                                  "--json",    "--set", "CSAT.CSAT_TEST_TIMEOUT=0"};
    const CliProcess yes = onOffice(scripted + QStringList{"--answers=continue,yes"});
    EXPECT_EQ(yes.exitCode, 0) << yes.describe().toStdString();
    EXPECT_EQ(onlyRun(yes)["resultName"].toString(), "Passed");

    const CliProcess no = onOffice(scripted + QStringList{"--answers=continue,no"});
    EXPECT_EQ(no.exitCode, 1) << no.describe().toStdString();
    const QJsonArray messages = onlyRun(no)["messages"].toArray();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].toString(), "DISPLAY_ATTENDED_TEST_FAILED");
    EXPECT_EQ(messages[1].toString(), "POSSIBLE_DEFECTIVE_COMPONENTS: CABLES, SCREEN, CONNECTOR");

    // The interactive window has no time-out: the host ends it with Escape.
    const CliProcess interactive = onOffice({"-Mdisplay", "-Qn", "dpy1", "--json", "--set",
                                             "CSAT.CSAT_TEST_TIMEOUT=0", "--answers=continue"});
    EXPECT_NE(onlyRun(interactive)["resultName"].toString(), "Passed")
        << interactive.describe().toStdString();
}

TEST_F(CliDisplay, EveryExampleDeskListsAndRunsWithValidDocuments)
{
    const QDir desks(sourcePath("examples/desks"));
    const QStringList files = desks.entryList({"*.json"}, QDir::Files);
    ASSERT_GE(files.size(), 5);
    for (const QString& file : files) {
        const QString platform = "--platform=sim:" + desks.filePath(file);
        const CliProcess list = CliProcess::run({"--list", "--json", platform});
        EXPECT_EQ(list.exitCode, 0) << file.toStdString() << list.describe().toStdString();
        const int count = list.json()["devices"].toArray().size();
        const CliProcess all = CliProcess::run({"-Mdisplay", "-Q", "--json", platform});
        EXPECT_TRUE(all.exitCode == 0 || all.exitCode == 1 || all.exitCode == 3)
            << file.toStdString() << all.describe().toStdString();
        EXPECT_EQ(all.json()["runs"].toArray().size(), count * 11) << file.toStdString();
    }
}

TEST_F(CliDisplay, BrokenDesksAreOneClearError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("broken.json");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"displays\": [ {\"output\": 5 ");
    file.close();
    for (const QString& desk : {path, dir.filePath("missing.json")}) {
        const CliProcess cli = CliProcess::run({"--list", "--json", "--platform=sim:" + desk});
        EXPECT_EQ(cli.exitCode, 2);
        EXPECT_TRUE(cli.err.contains(desk.toUtf8())) << cli.describe().toStdString();
        EXPECT_TRUE(cli.json().contains("error"));
    }
}
