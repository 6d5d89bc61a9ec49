// The verdict per display that both hosts and their reports give: the latest
// result of each test counts, displays keep the order they first ran in.
#include "host/runtime/DisplayVerdict.h"

#include <QtTest>

namespace {
RunRecord run(const std::string& device, const std::string& test, uint32_t result)
{
    RunRecord record;
    record.device = device;
    record.test = test;
    record.result = result;
    if (device == "dpy2") {
        record.modelName = "E19-7";
        record.connector = "VGA-1";
    }
    return record;
}
} // namespace

class DisplayVerdictTest : public QObject
{
    Q_OBJECT

private slots:
    void latestResultOfEachTestCounts()
    {
        std::vector<RunRecord> runs;
        const char* const tests[] = {"red_purity",         "green_purity", "blue_purity",
                                     "black_purity",       "white_purity", "color_transition",
                                     "monochromatic_mesh", "sharpness",    "resolution_fitting"};
        // dpy1 ran first, then dpy2 twice: the second time red passed where
        // it had failed, and green was aborted where it had passed.
        runs.push_back(run("dpy1", "red_purity", 0));
        for (const char* test : tests)
            runs.push_back(run("dpy2", test, std::string(test) == "red_purity" ? 1 : 0));
        runs.push_back(run("dpy2", "red_purity", 0));
        runs.push_back(run("dpy2", "green_purity", 4));
        runs.push_back(run("dpy2", "sharpness", 1));
        runs.push_back(run("dpy3", "red_purity", 6));
        runs.push_back(run("dpy3", "green_purity", 3));

        const std::vector<DisplayVerdict> verdicts = DisplayVerdict::of(runs);
        QCOMPARE(int(verdicts.size()), 3);
        QCOMPARE(QString::fromStdString(verdicts[0].line()), QString("dpy1: PASSED (1 passed)"));
        QCOMPARE(QString::fromStdString(verdicts[1].line()),
                 QString("dpy2 \u00b7 E19-7 \u00b7 VGA-1: FAILED (1 failed, 1 aborted, 7 passed)"));
        QCOMPARE(verdicts[1].total(), 9);
        QCOMPARE(verdicts[1].latest().front().test, std::string("red_purity"));
        QCOMPARE(verdicts[1].latest().front().result, 0u);
        QCOMPARE(verdicts[2].outcome(), DisplayVerdict::Incomplete);
        QCOMPARE(QString::fromStdString(verdicts[2].summary()),
                 QString("INCOMPLETE (1 not performed, 1 not run)"));
        QVERIFY(DisplayVerdict::of({}).empty());
    }
};

QTEST_MAIN(DisplayVerdictTest)
#include "DisplayVerdictTest.moc"
