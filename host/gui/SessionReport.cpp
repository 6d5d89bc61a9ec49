#include "host/gui/SessionReport.h"

#include "host/runtime/JsonReport.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPdfWriter>
#include <QTextDocument>

namespace {
// A text of the user's machine (host name, dates) rather than a module
// byte string: written as Unicode.
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
} // namespace

std::string SessionReport::json(const QDateTime& date) const
{
    std::vector<RunRecord> runs;
    for (const Entry& entry : m_entries)
        runs.push_back(entry.record);
    // The command line's runs document, with the session's own keys first.
    const std::string document = JsonReport::runs(runs);
    const std::string head = "{\n  \"hostName\": " + unicodeQuoted(m_hostName) +
                             ",\n  \"date\": " + unicodeQuoted(isoDate(date)) +
                             ",\n  \"moduleVersion\": " + unicodeQuoted(m_moduleVersion) + ",";
    return head + document.substr(1);
}

QString SessionReport::html(const QDateTime& date) const
{
    int passed = 0, failed = 0, other = 0;
    for (const Entry& entry : m_entries)
        (entry.record.result == 0 ? passed : entry.record.result == 1 ? failed : other)++;

    QString out = QStringLiteral(
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Display test report</title>"
        "<style>body{font-family:sans-serif;margin:2em}table{border-collapse:collapse;width:100%}"
        "th,td{border:1px solid #999;padding:4px 8px;text-align:left;vertical-align:top}"
        "th{background:#e4e8ee}.r0{color:#060}.r1{color:#b00;font-weight:bold}.rx{color:#850}"
        "</style></head><body>\n");
    out += QStringLiteral("<h1>Display test report</h1>\n<table>\n");
    const auto row = [](const QString& name, const QString& value) {
        return QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n")
            .arg(name.toHtmlEscaped(), value.toHtmlEscaped());
    };
    out += row(QStringLiteral("Machine"), m_hostName);
    out += row(QStringLiteral("Date"), date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t")));
    out += row(QStringLiteral("Module version"), m_moduleVersion);
    out += row(QStringLiteral("Tests"), QStringLiteral("%1: %2 passed, %3 failed, %4 other")
                                            .arg(m_entries.size())
                                            .arg(passed)
                                            .arg(failed)
                                            .arg(other));
    out += QStringLiteral("</table>\n<h2>Results</h2>\n<table>\n<tr><th>Display</th>"
                          "<th>Connector</th><th>Model</th><th>Serial number</th><th>Test</th>"
                          "<th>Result</th>"
                          "<th>Messages</th><th>Started</th><th>Ended</th></tr>\n");
    for (const Entry& entry : m_entries) {
        const uint32_t result = entry.record.result;
        const QString cls = result == 0   ? QStringLiteral("r0")
                            : result == 1 ? QStringLiteral("r1")
                                          : QStringLiteral("rx");
        QStringList messages;
        for (const QString& message : entry.messages)
            messages << message.toHtmlEscaped();
        const QString model =
            entry.display.modelName.isEmpty() ? entry.display.name : entry.display.modelName;
        const QStringList cells{
            entry.display.id,     entry.display.connector, model,     entry.display.serialNumber,
            entry.testName,       entry.resultName,        QString(), timeText(entry.started),
            timeText(entry.ended)};
        out += QStringLiteral("<tr>");
        for (int c = 0; c < cells.size(); ++c) {
            // Column 5 is the result, coloured; column 6 the messages, a line each.
            const QString cell =
                c == 6 ? messages.join(QStringLiteral("<br>")) : cells[c].toHtmlEscaped();
            out += c == 5 ? QStringLiteral("<td class=\"%1\">%2</td>").arg(cls, cell)
                          : QStringLiteral("<td>%1</td>").arg(cell);
        }
        out += QStringLiteral("</tr>\n");
    }
    out += QStringLiteral("</table>\n</body></html>\n");
    return out;
}

bool SessionReport::save(const QString& path, const QDateTime& date, QString* error) const
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf")) {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setTitle(QStringLiteral("Display test report"));
        QTextDocument document;
        document.setHtml(html(date));
        document.print(&writer);
        // QPdfWriter reports no error of its own; check what it left behind.
        if (QFileInfo(path).size() > 0)
            return true;
        if (error)
            *error = QObject::tr("The report cannot be written to %1.").arg(path);
        return false;
    }
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
