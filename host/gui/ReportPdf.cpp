#include "host/gui/ReportPdf.h"

#include "host/gui/SessionReport.h"
#include "host/runtime/DisplayVerdict.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <functional>

namespace {
const int Dpi = 150;
const int Pad = 6; // inside a table cell, in device pixels

QColor resultColour(uint32_t result)
{
    return result == 0   ? QColor(0, 0x60, 0)
           : result == 1 ? QColor(0xb0, 0, 0)
                         : QColor(0x80, 0x50, 0);
}

// Keeps the pen on the page: starts a new page (with its running header,
// and a table's header row again where one is being drawn) when the next
// piece does not fit.
class Pager
{
public:
    Pager(QPdfWriter& writer, QPainter& painter, QString running)
        : m_writer(writer), m_painter(painter), m_running(std::move(running))
    {
        m_area = QRect(QPoint(), QSize(m_painter.device()->width(), m_painter.device()->height()));
        startPage();
    }

    int left() const { return m_area.left(); }
    int width() const { return m_area.width(); }
    int y() const { return m_y; }
    void advance(int height) { m_y += height; }

    // Makes room for height; a table header is drawn again on a new page.
    void need(int height)
    {
        if (m_y + height <= m_bottom)
            return;
        m_writer.newPage();
        startPage();
        if (m_tableHeader)
            m_tableHeader();
    }
    void setTableHeader(std::function<void()> header) { m_tableHeader = std::move(header); }

private:
    void startPage()
    {
        ++m_page;
        QFont small = m_painter.font();
        small.setPointSizeF(7.5);
        const QFont saved = m_painter.font();
        m_painter.setFont(small);
        m_painter.setPen(Qt::darkGray);
        const int line = QFontMetrics(small, m_painter.device()).height();
        m_painter.drawText(QRect(m_area.left(), m_area.top(), m_area.width(), line),
                           Qt::AlignLeft | Qt::AlignVCenter, m_running);
        m_painter.drawText(QRect(m_area.left(), m_area.top(), m_area.width(), line),
                           Qt::AlignRight | Qt::AlignVCenter, QObject::tr("Page %1").arg(m_page));
        m_painter.drawLine(m_area.left(), m_area.top() + line + 2, m_area.right(),
                           m_area.top() + line + 2);
        m_painter.setFont(saved);
        m_painter.setPen(Qt::black);
        m_y = m_area.top() + line + 14;
        m_bottom = m_area.bottom();
    }

    QPdfWriter& m_writer;
    QPainter& m_painter;
    QString m_running;
    QRect m_area;
    int m_y = 0;
    int m_bottom = 0;
    int m_page = 0;
    std::function<void()> m_tableHeader;
};
} // namespace

bool ReportPdf::write(const SessionReport& report, const QString& path, const QDateTime& date,
                      QString* error)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
    writer.setResolution(Dpi);
    writer.setTitle(QStringLiteral("Display test report"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        if (error)
            *error = QObject::tr("The report cannot be written to %1.").arg(path);
        return false;
    }
    QFont body = painter.font();
    body.setPointSizeF(9);
    painter.setFont(body);
    QFont bold = body;
    bold.setBold(true);
    QFont heading = bold;
    heading.setPointSizeF(12);
    QFont title = bold;
    title.setPointSizeF(16);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(8);

    QStringList running{QObject::tr("Display test report"), report.hostName(),
                        date.toString(QStringLiteral("yyyy-MM-dd HH:mm"))};
    if (!report.ticket().isEmpty())
        running << QObject::tr("ticket %1").arg(report.ticket());
    running.removeAll(QString());
    Pager pager(writer, painter, running.join(QStringLiteral(" \u00b7 ")));

    const auto heightOf = [&painter](const QFont& font, int width, const QString& text) {
        return QFontMetrics(font, painter.device())
            .boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, text)
            .height();
    };
    const auto line = [&](const QFont& font, const QString& text, const QColor& colour,
                          int spaceAfter) {
        const int height = heightOf(font, pager.width(), text);
        pager.need(height);
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(QRect(pager.left(), pager.y(), pager.width(), height), Qt::TextWordWrap,
                         text);
        pager.advance(height + spaceAfter);
    };
    // A name and its value, the value wrapped beside the name.
    const int nameWidth = pager.width() / 6;
    const auto field = [&](const QString& name, const QString& value, const QFont& valueFont) {
        if (value.isEmpty())
            return;
        const int height = std::max(heightOf(bold, nameWidth, name),
                                    heightOf(valueFont, pager.width() - nameWidth, value));
        pager.need(height);
        painter.setPen(Qt::black);
        painter.setFont(bold);
        painter.drawText(QRect(pager.left(), pager.y(), nameWidth, height), Qt::TextWordWrap, name);
        painter.setFont(valueFont);
        painter.drawText(
            QRect(pager.left() + nameWidth, pager.y(), pager.width() - nameWidth, height),
            Qt::TextWordWrap, value);
        pager.advance(height + 3);
    };

    line(title, QObject::tr("Display test report"), Qt::black, 12);
    field(QObject::tr("Machine"), report.hostName(), body);
    field(QObject::tr("Date"), date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t")), body);
    field(QObject::tr("Module version"), report.moduleVersion(), body);
    field(QObject::tr("Technician"), report.technician(), body);
    field(QObject::tr("Ticket"), report.ticket(), body);
    field(QObject::tr("Notes"), report.notes(), body);
    pager.advance(10);
    line(heading, QObject::tr("Verdict"), Qt::black, 6);

    std::vector<RunRecord> records;
    for (const SessionReport::Entry& entry : report.entries())
        records.push_back(entry.record);
    const std::vector<DisplayVerdict> verdicts = DisplayVerdict::of(records);
    for (const DisplayVerdict& verdict : verdicts) {
        const QColor colour = verdict.outcome() == DisplayVerdict::Passed   ? resultColour(0)
                              : verdict.outcome() == DisplayVerdict::Failed ? resultColour(1)
                                                                            : resultColour(4);
        line(bold, QString::fromStdString(verdict.line()), colour, 3);
    }

    // Columns of the runs table, as parts of the width.
    const QStringList headers{QObject::tr("Test"), QObject::tr("Result"), QObject::tr("Messages"),
                              QObject::tr("Started"), QObject::tr("Ended")};
    const double parts[] = {0.22, 0.11, 0.47, 0.10, 0.10};
    std::vector<int> lefts, widths;
    int x = pager.left();
    for (double part : parts) {
        lefts.push_back(x);
        widths.push_back(static_cast<int>(pager.width() * part));
        x += widths.back();
    }
    const auto row = [&](const QStringList& cells, const QFont& font, const QColor& resultColour,
                         bool header) {
        int height = 0;
        for (int c = 0; c < cells.size(); ++c)
            height = std::max(height, heightOf(font, widths[c] - 2 * Pad, cells[c]) + 2 * Pad);
        if (!header)
            pager.need(height);
        painter.setFont(font);
        for (int c = 0; c < cells.size(); ++c) {
            const QRect box(lefts[c], pager.y(), widths[c], height);
            if (header)
                painter.fillRect(box, QColor(0xe4, 0xe8, 0xee));
            painter.setPen(QColor(0x99, 0x99, 0x99));
            painter.drawRect(box);
            painter.setPen(c == 1 && !header ? resultColour : Qt::black);
            painter.drawText(box.adjusted(Pad, Pad, -Pad, -Pad), Qt::TextWordWrap, cells[c]);
        }
        pager.advance(height);
    };
    const auto tableHeader = [&]() { row(headers, bold, Qt::black, true); };
    const auto timeText = [](const QDateTime& time) {
        return time.isValid() ? time.toString(QStringLiteral("HH:mm:ss")) : QString();
    };

    for (const DisplayVerdict& verdict : verdicts) {
        const SessionReport::Entry* last = nullptr;
        for (const SessionReport::Entry& entry : report.entries()) {
            if (entry.record.device == verdict.device())
                last = &entry;
        }
        const DisplayEntry& display = last->display;
        pager.advance(14);
        // A display's heading stays with its first lines.
        pager.need(heightOf(heading, pager.width(), QStringLiteral("X")) * 4);
        line(heading, QString::fromStdString(verdict.label()), Qt::black, 6);
        field(QObject::tr("Model"), display.modelName.isEmpty() ? display.name : display.modelName,
              body);
        field(QObject::tr("Manufacturer"), display.manufacturer, body);
        field(QObject::tr("Serial number"), display.serialNumber, body);
        field(QObject::tr("Manufactured"), display.manufactured, body);
        field(QObject::tr("Native resolution"), display.nativeResolution, body);
        field(QObject::tr("Connector"), display.connector, body);
        field(QObject::tr("EDID"), display.edidHex(), mono);
        pager.advance(8);
        pager.need(heightOf(bold, pager.width(), QStringLiteral("X")) * 4);
        tableHeader();
        pager.setTableHeader(tableHeader);
        for (const SessionReport::Entry& entry : report.entries()) {
            if (entry.record.device != verdict.device())
                continue;
            row({entry.testName, entry.resultName, entry.messages.join('\n'),
                 timeText(entry.started), timeText(entry.ended)},
                body, resultColour(entry.record.result), false);
        }
        pager.setTableHeader(nullptr);
    }
    painter.end();
    // QPdfWriter reports no error of its own; check what it left behind.
    if (QFileInfo(path).size() > 0)
        return true;
    if (error)
        *error = QObject::tr("The report cannot be written to %1.").arg(path);
    return false;
}
