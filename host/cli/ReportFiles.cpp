#include "host/cli/ReportFiles.h"

#include "host/runtime/JunitReport.h"
#include "host/runtime/MetricsReport.h"

#include <QDateTime>
#include <QSysInfo>

#include <cstdio>

namespace {
std::unique_ptr<QSaveFile> openFile(const std::string& path, std::string* error)
{
    auto file = std::make_unique<QSaveFile>(QString::fromLocal8Bit(path.c_str()));
    if (!file->open(QIODevice::WriteOnly)) {
        if (error)
            *error = "cannot write \"" + path + "\": " + file->errorString().toStdString();
        return nullptr;
    }
    return file;
}
} // namespace

bool ReportFiles::open(const CliOptions& options, std::string* error)
{
    m_junitPath = options.junit;
    m_metricsPath = options.metrics;
    if (m_junitPath.empty() && m_metricsPath.empty())
        return true;
    auto fail = [&](const std::string& sentence) {
        if (error)
            *error = sentence;
        return false;
    };
    if (options.list || !options.edid.empty())
        return fail("--junit and --metrics report test runs and cannot be combined with " +
                    std::string(options.list ? "--list" : "--edid"));
    m_junitOut = m_junitPath == "-";
    m_metricsOut = m_metricsPath == "-";
    if (int(m_junitOut) + int(m_metricsOut) + int(options.json) > 1)
        return fail("only one of --json, --junit - and --metrics - can write to standard output");
    if (!m_junitPath.empty() && !m_junitOut && !(m_junit = openFile(m_junitPath, error)))
        return false;
    if (!m_metricsPath.empty() && !m_metricsOut && !(m_metrics = openFile(m_metricsPath, error)))
        return false;
    return true;
}

void ReportFiles::setFound(const std::vector<DeviceRecord>& devices)
{
    m_found.clear();
    for (const DeviceRecord& device : devices)
        m_found.push_back(DisplayFacts::of(device));
}

bool ReportFiles::write(const std::vector<DeviceRecord>& tested,
                        const std::map<std::string, std::string>& labels,
                        const std::vector<RunRecord>& runs, std::string* error)
{
    if (!m_junitPath.empty()) {
        std::vector<JunitReport::Display> displays;
        for (const DeviceRecord& device : tested) {
            const auto label = labels.find(device.id);
            displays.push_back(
                {DisplayFacts::of(device), label != labels.end() ? label->second : device.id});
        }
        const QByteArray document =
            JunitReport::document(displays, runs, QSysInfo::machineHostName(), m_messageText);
        if (!commit(m_junit.get(), m_junitOut, document, m_junitPath, error))
            return false;
    }
    if (!m_metricsPath.empty()) {
        QDateTime ended = runs.empty() || !runs.back().ended
                              ? QDateTime()
                              : QDateTime::fromString(QString::fromStdString(*runs.back().ended),
                                                      Qt::ISODateWithMs);
        if (!ended.isValid())
            ended = QDateTime::currentDateTimeUtc();
        const std::string text =
            MetricsReport::text(m_found, runs, ended.toMSecsSinceEpoch() / 1000.0);
        if (!commit(m_metrics.get(), m_metricsOut, QByteArray::fromStdString(text), m_metricsPath,
                    error))
            return false;
    }
    return true;
}

bool ReportFiles::commit(QSaveFile* file, bool toStandardOutput, const QByteArray& bytes,
                         const std::string& path, std::string* error)
{
    if (toStandardOutput) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        return true;
    }
    if (file && file->write(bytes) == bytes.size() && file->commit())
        return true;
    if (error)
        *error = "cannot write \"" + path +
                 "\": " + (file ? file->errorString().toStdString() : std::string("not open"));
    return false;
}
