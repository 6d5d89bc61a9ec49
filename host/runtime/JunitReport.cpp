#include "host/runtime/JunitReport.h"

#include "host/runtime/TestResultName.h"

#include <QDateTime>
#include <QXmlStreamWriter>

#include <cstdio>

namespace {
enum class Outcome { Passed, Failure, Error, Skipped };

Outcome outcomeOf(uint32_t result)
{
    switch (result) {
    case 0:
        return Outcome::Passed;
    case 1:
        return Outcome::Failure;
    case 3: // NotPerformed
    case 6: // NotRun
        return Outcome::Skipped;
    default: // Aborted, and codes no test documents
        return Outcome::Error;
    }
}

QDateTime parsed(const std::optional<std::string>& iso)
{
    return iso ? QDateTime::fromString(QString::fromStdString(*iso), Qt::ISODateWithMs)
               : QDateTime();
}

double secondsOf(const RunRecord& run)
{
    const QDateTime started = parsed(run.started);
    const QDateTime ended = parsed(run.ended);
    if (!started.isValid() || !ended.isValid() || ended < started)
        return 0.0;
    return started.msecsTo(ended) / 1000.0;
}

QString seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.3f", value);
    return QString::fromLatin1(text);
}

QString messagesText(const RunRecord& run, const JunitReport::MessageText& messageText)
{
    QStringList lines;
    for (const std::string& message : run.messages)
        lines << (messageText ? messageText(message) : DisplayFacts::text(message));
    return JunitReport::xmlText(lines.join(QLatin1Char('\n')));
}

struct Counts
{
    int tests = 0;
    int failures = 0;
    int errors = 0;
    int skipped = 0;
    double time = 0.0;

    void add(const RunRecord& run)
    {
        ++tests;
        time += secondsOf(run);
        switch (outcomeOf(run.result)) {
        case Outcome::Failure:
            ++failures;
            break;
        case Outcome::Error:
            ++errors;
            break;
        case Outcome::Skipped:
            ++skipped;
            break;
        case Outcome::Passed:
            break;
        }
    }

    void write(QXmlStreamWriter& xml, bool withSkipped) const
    {
        xml.writeAttribute("tests", QString::number(tests));
        xml.writeAttribute("failures", QString::number(failures));
        xml.writeAttribute("errors", QString::number(errors));
        if (withSkipped)
            xml.writeAttribute("skipped", QString::number(skipped));
        xml.writeAttribute("time", seconds(time));
    }
};

void writeCase(QXmlStreamWriter& xml, const RunRecord& run,
               const JunitReport::MessageText& messageText)
{
    xml.writeStartElement("testcase");
    xml.writeAttribute("classname",
                       JunitReport::xmlText(DisplayFacts::text("display." + run.device)));
    xml.writeAttribute("name", JunitReport::xmlText(DisplayFacts::text(run.test)));
    xml.writeAttribute("time", seconds(secondsOf(run)));
    const Outcome outcome = outcomeOf(run.result);
    const QString text = messagesText(run, messageText);
    if (outcome != Outcome::Passed) {
        xml.writeStartElement(outcome == Outcome::Failure ? "failure"
                              : outcome == Outcome::Error ? "error"
                                                          : "skipped");
        xml.writeAttribute("type", QString::fromStdString(TestResultName::of(run.result)));
        // The first message says what happened; any further ones add detail.
        if (!run.messages.empty())
            xml.writeAttribute(
                "message",
                JunitReport::xmlText(messageText ? messageText(run.messages.front())
                                                 : DisplayFacts::text(run.messages.front())));
        xml.writeCharacters(text);
        xml.writeEndElement();
    }
    if (!text.isEmpty())
        xml.writeTextElement("system-out", text);
    xml.writeEndElement();
}
} // namespace

QString JunitReport::xmlText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const ushort code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (c.isSurrogate() || code == 0xFFFE || code == 0xFFFF) {
            out += QChar(QChar::ReplacementCharacter);
        } else if (code < 0x20 && code != '\t' && code != '\n' && code != '\r') {
            out += QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray JunitReport::document(const std::vector<Display>& displays,
                                 const std::vector<RunRecord>& runs, const QString& hostName,
                                 const MessageText& messageText)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement("testsuites");
    xml.writeAttribute("name", "OrvaneDiagnosticsCLI");
    Counts total;
    for (const RunRecord& run : runs)
        total.add(run);
    // The schema has no count of skipped cases for the whole document.
    total.write(xml, false);

    const QString host = xmlText(hostName);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const Display& display : displays) {
        std::vector<const RunRecord*> cases;
        Counts counts;
        for (const RunRecord& run : runs) {
            if (run.device == display.facts.device) {
                cases.push_back(&run);
                counts.add(run);
            }
        }
        QDateTime started = cases.empty() ? QDateTime() : parsed(cases.front()->started);
        if (!started.isValid())
            started = now;
        xml.writeStartElement("testsuite");
        xml.writeAttribute("name", xmlText(QString::fromStdString(display.label)));
        counts.write(xml, true);
        xml.writeAttribute("hostname", host);
        // The form CI servers expect: no zone, and UTC across a fleet.
        xml.writeAttribute("timestamp",
                           started.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
        xml.writeStartElement("properties");
        const auto known =
            display.facts.known({"connector", "manufacturer", "model", "serialNumber",
                                 "nativeResolution", "currentResolution"});
        for (const auto& [name, value] : known) {
            xml.writeEmptyElement("property");
            xml.writeAttribute("name", QString::fromStdString(name));
            xml.writeAttribute("value", xmlText(DisplayFacts::text(value)));
        }
        xml.writeEndElement();
        for (const RunRecord* run : cases)
            writeCase(xml, *run, messageText);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}
