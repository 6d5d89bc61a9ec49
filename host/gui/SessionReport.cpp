#include "host/gui/SessionReport.h"

#include "host/gui/ReportPdf.h"
#include "host/runtime/DisplayVerdict.h"
#include "host/runtime/JsonReport.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <map>

namespace {
// A text of the user's machine (host name, dates, what the technician
// typed) rather than a module byte string: written as Unicode.
std::string unicodeQuoted(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2).toStdString();
}

QString isoDate(const QDateTime& time)
{
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

QString timeText(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("HH:mm:ss")) : QString();
}

QString resultClass(uint32_t result)
{
    return result == 0   ? QStringLiteral("r0")
           : result == 1 ? QStringLiteral("r1")
                         : QStringLiteral("rx");
}

QString cell(const QString& text)
{
    return QStringLiteral("<td>%1</td>").arg(text.toHtmlEscaped());
}
} // namespace

std::vector<RunRecord> SessionReport::records() const
{
    std::vector<RunRecord> runs;
    for (const Entry& entry : m_entries) {
        runs.push_back(entry.record);
        if (entry.started.isValid())
            runs.back().started = isoDate(entry.started).toStdString();
        if (entry.ended.isValid())
            runs.back().ended = isoDate(entry.ended).toStdString();
    }
    return runs;
}

QStringList SessionReport::verdictLines() const
{
    QStringList lines;
    for (const DisplayVerdict& verdict : DisplayVerdict::of(records()))
        lines << QString::fromStdString(verdict.line());
    return lines;
}

std::string SessionReport::json(const QDateTime& date) const
{
    const std::vector<RunRecord> runs = records();
    std::string verdicts;
    for (const DisplayVerdict& verdict : DisplayVerdict::of(runs)) {
        verdicts += std::string(verdicts.empty() ? "" : ",") +
                    "\n    {\"device\": " + JsonReport::quoted(verdict.device()) +
                    ", \"verdict\": \"" + DisplayVerdict::outcomeName(verdict.outcome()) +
                    "\", \"line\": " + JsonReport::quoted(verdict.line()) + "}";
    }
    // The command line's runs document, with the session's own keys first.
    const std::string document = JsonReport::runs(runs);
    const std::string head = "{\n  \"hostName\": " + unicodeQuoted(m_hostName) +
                             ",\n  \"date\": " + unicodeQuoted(isoDate(date)) +
                             ",\n  \"moduleVersion\": " + unicodeQuoted(m_moduleVersion) +
                             ",\n  \"technician\": " + unicodeQuoted(m_technician) +
                             ",\n  \"ticket\": " + unicodeQuoted(m_ticket) +
                             ",\n  \"notes\": " + unicodeQuoted(m_notes) + ",\n  \"verdicts\": [" +
                             verdicts + (verdicts.empty() ? "]," : "\n  ],");
    return head + document.substr(1);
}

QString SessionReport::html(const QDateTime& date) const
{
    QString out = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                                 "<title>Display test report</title>"
                                 "<style>body{font-family:sans-serif;margin:2em}"
                                 "table{border-collapse:collapse;width:100%}"
                                 "th,td{border:1px solid #999;padding:3px 6px;text-align:left;"
                                 "vertical-align:top}th{background:#e4e8ee}"
                                 "table.identity th{width:12em}pre{margin:0;font-size:90%}"
                                 ".r0{color:#060}.r1{color:#b00;font-weight:bold}.rx{color:#850}"
                                 "</style></head><body>\n");
    out += QStringLiteral("<h1>Display test report</h1>\n<table class=\"identity\">\n");
    const auto row = [](const QString& name, const QString& value, bool pre = false) {
        const QString escaped = value.toHtmlEscaped();
        return QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n")
            .arg(name.toHtmlEscaped(),
                 pre ? QStringLiteral("<pre>%1</pre>").arg(escaped)
                     : QString(escaped).replace('\n', QStringLiteral("<br>")));
    };
    out += row(QStringLiteral("Machine"), m_hostName);
    out += row(QStringLiteral("Date"), date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t")));
    out += row(QStringLiteral("Module version"), m_moduleVersion);
    out += row(QStringLiteral("Technician"), m_technician);
    out += row(QStringLiteral("Ticket"), m_ticket);
    out += row(QStringLiteral("Notes"), m_notes);
    out += QStringLiteral("</table>\n<h2>Verdict</h2>\n");

    const std::vector<DisplayVerdict> verdicts = DisplayVerdict::of(records());
    for (const DisplayVerdict& verdict : verdicts) {
        const QString cls = verdict.outcome() == DisplayVerdict::Passed   ? QStringLiteral("r0")
                            : verdict.outcome() == DisplayVerdict::Failed ? QStringLiteral("r1")
                                                                          : QStringLiteral("rx");
        out += QStringLiteral("<p class=\"%1\">%2</p>\n")
                   .arg(cls, QString::fromStdString(verdict.line()).toHtmlEscaped());
    }

    // Runs grouped per display, each display with its identity first.
    for (const DisplayVerdict& verdict : verdicts) {
        const Entry* last = nullptr;
        for (const Entry& entry : m_entries) {
            if (entry.record.device == verdict.device())
                last = &entry;
        }
        const DisplayEntry& display = last->display;
        out += QStringLiteral("<h2>%1</h2>\n<table class=\"identity\">\n")
                   .arg(QString::fromStdString(verdict.label()).toHtmlEscaped());
        out += row(QStringLiteral("Model"),
                   display.modelName.isEmpty() ? display.name : display.modelName);
        out += row(QStringLiteral("Manufacturer"), display.manufacturer);
        out += row(QStringLiteral("Serial number"), display.serialNumber);
        out += row(QStringLiteral("Manufactured"), display.manufactured);
        out += row(QStringLiteral("Native resolution"), display.nativeResolution);
        out += row(QStringLiteral("Connector"), display.connector);
        out += row(QStringLiteral("EDID"), display.edidHex(), true);
        out += QStringLiteral("</table>\n<p></p>\n<table>\n<thead><tr><th>Test</th><th>Result</th>"
                              "<th>Messages</th><th>Started</th><th>Ended</th></tr></thead>\n");
        for (const Entry& entry : m_entries) {
            if (entry.record.device != verdict.device())
                continue;
            QStringList messages;
            for (const QString& message : entry.messages)
                messages << message.toHtmlEscaped();
            out += QStringLiteral("<tr>") + cell(entry.testName) +
                   QStringLiteral("<td class=\"%1\">%2</td>")
                       .arg(resultClass(entry.record.result), entry.resultName.toHtmlEscaped()) +
                   QStringLiteral("<td>%1</td>").arg(messages.join(QStringLiteral("<br>"))) +
                   cell(timeText(entry.started)) + cell(timeText(entry.ended)) +
                   QStringLiteral("</tr>\n");
        }
        out += QStringLiteral("</table>\n");
    }
    out += QStringLiteral("</body></html>\n");
    return out;
}

bool SessionReport::save(const QString& path, const QDateTime& date, QString* error) const
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return ReportPdf::write(*this, path, date, error);
    QByteArray bytes;
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        bytes = html(date).toUtf8();
    else
        bytes = QByteArray::fromStdString(json(date));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) < 0) {
        if (error)
            *error = QObject::tr("The report cannot be written to %1: %2.")
                         .arg(path, file.errorString());
        return false;
    }
    return true;
}
