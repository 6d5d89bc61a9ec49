#pragma once

#include "host/cli/CliOptions.h"
#include "host/runtime/DeviceRecord.h"
#include "host/runtime/DisplayFacts.h"
#include "host/runtime/JunitReport.h"
#include "host/runtime/RunRecord.h"

#include <QSaveFile>

#include <map>
#include <memory>
#include <string>
#include <vector>

// The files of --junit and --metrics. They are opened before any test runs,
// so that a path that cannot be written stops the run before it starts, and
// each replaces its file only once complete: a collector reading the folder
// never sees half a file.
class ReportFiles
{
public:
    // Checks the options against each other and opens the files. False with
    // one sentence in error.
    bool open(const CliOptions& options, std::string* error);
    // A document goes to standard output instead of the text results.
    bool useStandardOutput() const { return m_junitOut || m_metricsOut; }

    // How the JUnit document words the module's message keys.
    void setMessageText(JunitReport::MessageText messageText)
    {
        m_messageText = std::move(messageText);
    }

    // Every display found, before the ones to test were chosen.
    void setFound(const std::vector<DeviceRecord>& devices);

    // Writes both documents for the displays tested, their labels and the
    // runs; with nothing asked for, does nothing. False with one sentence in
    // error when a file cannot be written.
    bool write(const std::vector<DeviceRecord>& tested,
               const std::map<std::string, std::string>& labels, const std::vector<RunRecord>& runs,
               std::string* error);

private:
    bool commit(QSaveFile* file, bool toStandardOutput, const QByteArray& bytes,
                const std::string& path, std::string* error);

    std::string m_junitPath;
    std::string m_metricsPath;
    bool m_junitOut = false;
    bool m_metricsOut = false;
    std::unique_ptr<QSaveFile> m_junit;
    std::unique_ptr<QSaveFile> m_metrics;
    std::vector<DisplayFacts> m_found;
    JunitReport::MessageText m_messageText;
};
