#pragma once

#include "host/runtime/DisplayFacts.h"
#include "host/runtime/RunRecord.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <string>
#include <vector>

// The JUnit XML document CI servers read: one test suite per display, one
// test case per test run on it. Passed runs are plain cases, Failed ones
// carry a failure, Aborted runs and codes the module does not document an
// error, NotPerformed and NotRun a skip; each case's messages are its output.
class JunitReport
{
public:
    struct Display
    {
        DisplayFacts facts;
        std::string label; // "dpy2 · E19-7 · VGA-1"
    };

    // The readable text of a message key of the module's; dashboards show
    // it to people. Empty: the key itself.
    using MessageText = std::function<QString(const std::string& key)>;

    // The displays the run covered, in order, and the runs in the order they
    // ran. A run without both start and end time counts 0 seconds.
    static QByteArray document(const std::vector<Display>& displays,
                               const std::vector<RunRecord>& runs, const QString& hostName,
                               const MessageText& messageText = {});

    // Text XML 1.0 can carry: characters it forbids (control bytes other than
    // tab and line ends, unpaired surrogates) become "\xNN" or U+FFFD.
    static QString xmlText(const QString& text);
};
