#include "host/gui/SessionReport.h"

#include "host/runtime/JsonReport.h"
#include "host/runtime/TestResultName.h"

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

// Module and platform texts were read as Latin-1, so this gives back their bytes.
std::string bytesQuoted(const QString& text)
{
    return JsonReport::quoted(text.toLatin1().toStdString());
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
    std::string out = "{\n  \"hostName\": " + unicodeQuoted(m_hostName) + ",";
    out += "\n  \"date\": " + unicodeQuoted(isoDate(date)) + ",";
    out += "\n  \"moduleVersion\": " + unicodeQuoted(m_moduleVersion) + ",";
    out += "\n  \"runs\": [";
    for (size_t r = 0; r < m_entries.size(); ++r) {
        const Entry& entry = m_entries[r];
        const RunRecord& run = entry.record;
        out += r ? ",\n    {" : "\n    {";
        out += "\n      \"device\": " + JsonReport::quoted(run.device) + ",";
        // Absent rather than empty where the platform does not know them.
        if (!entry.display.connector.isEmpty())
            out += "\n      \"connector\": " + bytesQuoted(entry.display.connector) + ",";
        if (!entry.display.modelName.isEmpty())
            out += "\n      \"modelName\": " + bytesQuoted(entry.display.modelName) + ",";
        if (!entry.display.serialNumber.isEmpty())
            out += "\n      \"serialNumber\": " + bytesQuoted(entry.display.serialNumber) + ",";
        out += "\n      \"test\": " + JsonReport::quoted(run.test) + ",";
        out += "\n      \"shortName\": " + JsonReport::quoted(run.shortName) + ",";
        out += "\n      \"itemId\": [" + std::to_string(run.itemId.module) + ", " +
               std::to_string(run.itemId.diagnostic) + ", " + std::to_string(run.itemId.test) +
               "],";
        out += "\n      \"result\": " + std::to_string(run.result) + ",";
        out +=
            "\n      \"resultName\": " + JsonReport::quoted(TestResultName::of(run.result)) + ",";
        if (entry.started.isValid())
            out += "\n      \"started\": " + unicodeQuoted(isoDate(entry.started)) + ",";
        if (entry.ended.isValid())
            out += "\n      \"ended\": " + unicodeQuoted(isoDate(entry.ended)) + ",";
        out += "\n      \"progress\": [";
        for (size_t p = 0; p < run.progress.size(); ++p) {
            out += p ? ",\n        " : "\n        ";
            out += "{\"percent\": " + std::to_string(run.progress[p].percent) +
                   ", \"text\": " + JsonReport::quoted(run.progress[p].text) + "}";
        }
        out += run.progress.empty() ? "]," : "\n      ],";
        out += "\n      \"messages\": [";
        for (size_t m = 0; m < run.messages.size(); ++m) {
            out += m ? ",\n        " : "\n        ";
            out += JsonReport::quoted(run.messages[m]);
        }
        out += run.messages.empty() ? "]" : "\n      ]";
        out += "\n    }";
    }
    out += m_entries.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
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
                          "<th>Connector</th><th>Model</th><th>Test</th><th>Result</th>"
                          "<th>Messages</th><th>Started</th><th>Ended</th></tr>\n");
    for (const Entry& entry : m_entries) {
        const uint32_t result = entry.record.result;
        const QString cls = result == 0   ? QStringLiteral("r0")
                            : result == 1 ? QStringLiteral("r1")
                                          : QStringLiteral("rx");
        QStringList messages;
        for (const QString& message : entry.messages)
            messages << message.toHtmlEscaped();
        QString model =
            entry.display.modelName.isEmpty() ? entry.display.name : entry.display.modelName;
        if (!entry.display.serialNumber.isEmpty())
            model += QStringLiteral(" (serial %1)").arg(entry.display.serialNumber);
        out += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td>"
                              "<td class=\"%5\">%6</td><td>%7</td><td>%8</td><td>%9</td></tr>\n")
                   .arg(entry.display.id.toHtmlEscaped(), entry.display.connector.toHtmlEscaped(),
                        model.toHtmlEscaped(), entry.testName.toHtmlEscaped(), cls,
                        entry.resultName.toHtmlEscaped(), messages.join(QStringLiteral("<br>")),
                        timeText(entry.started), timeText(entry.ended));
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
