// The command-line host on a real X server (scripts/integration.sh starts
// one and sets DISPLAY): the displays come from RandR and the attended
// test's window is a real window on it.
#include "CliProcess.h"

#include <QJsonArray>

#include <gtest/gtest.h>

class CliOnXServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "no X server (run through scripts/integration.sh)";
    }
};

TEST_F(CliOnXServer, ListsAndTestsTheServersDisplays)
{
    const CliProcess list = CliProcess::run({"--platform=x11", "--list", "--json", "--verbose"});
    ASSERT_EQ(list.exitCode, 0) << list.describe().toStdString();
    EXPECT_TRUE(list.err.contains("display backend x11")) << list.err.toStdString();
    const QJsonArray devices = list.json()["devices"].toArray();
    ASSERT_GE(devices.size(), 1);

    const CliProcess fitting = CliProcess::run({"--platform=x11", "-Mdisplay", "-Qf", "--json"});
    EXPECT_EQ(fitting.json()["runs"].toArray().size(), devices.size())
        << fitting.describe().toStdString();

    // The red pattern is shown on the first display and ends at its time-out.
    const CliProcess red =
        CliProcess::run({"--platform=x11", "-Mdisplay", "-Qr", "dpy1", "--json", "--set",
                         "CSAT.CSAT_TEST_TIMEOUT=1", "--answers=continue,yes"});
    EXPECT_EQ(red.exitCode, 0) << red.describe().toStdString();
    EXPECT_EQ(red.json()["runs"].toArray()[0].toObject()["resultName"].toString(), "Passed");
}
