#include "host/gui/DeskView.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {
const int Margin = 12;

QSize sizeOf(const QString& resolution)
{
    const QStringList parts = resolution.split(QLatin1Char('x'));
    if (parts.size() == 2 && parts[0].toInt() > 0 && parts[1].toInt() > 0)
        return {parts[0].toInt(), parts[1].toInt()};
    return {1920, 1080};
}
} // namespace

DeskView::DeskView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void DeskView::setDisplays(const std::vector<DisplayEntry>& displays)
{
    m_displays = displays;
    m_chosen.assign(displays.size(), false);
    m_running = -1;
    m_desk.clear();
    QRect known;
    for (const DisplayEntry& display : displays) {
        if (!display.geometry.isNull())
            known = known.united(display.geometry);
    }
    int nextLeft = known.isNull() ? 0 : known.right() + 1;
    for (const DisplayEntry& display : displays) {
        if (!display.geometry.isNull()) {
            m_desk.push_back(display.geometry);
        } else {
            m_desk.push_back(QRect(QPoint(nextLeft, 0), sizeOf(display.resolution)));
            nextLeft += m_desk.back().width();
        }
    }
    layoutRects();
    update();
}

void DeskView::setChosen(const std::vector<bool>& chosen)
{
    m_chosen = chosen;
    m_chosen.resize(m_displays.size(), false);
    update();
}

void DeskView::setRunning(int index)
{
    m_running = index;
    update();
}

QRect DeskView::displayRect(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_drawn.size()))
        return {};
    return m_drawn[index].toRect();
}

void DeskView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutRects();
}

void DeskView::layoutRects()
{
    m_drawn.clear();
    QRect bounds;
    for (const QRect& rect : m_desk)
        bounds = bounds.united(rect);
    if (bounds.isEmpty())
        return;
    const QRectF area = QRectF(rect()).adjusted(Margin, Margin, -Margin, -Margin);
    const double scale = std::min(area.width() / bounds.width(), area.height() / bounds.height());
    const QPointF offset(area.x() + (area.width() - bounds.width() * scale) / 2,
                         area.y() + (area.height() - bounds.height() * scale) / 2);
    for (const QRect& rect : m_desk) {
        const QRectF drawn(offset + QPointF(rect.x() - bounds.x(), rect.y() - bounds.y()) * scale,
                           QSizeF(rect.size()) * scale);
        // A small gap keeps neighbours apart, as display settings draw them.
        m_drawn.push_back(drawn.adjusted(2, 2, -2, -2));
    }
}

void DeskView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().color(QPalette::Base).darker(104));
    const QColor highlight = palette().color(QPalette::Highlight);
    for (size_t i = 0; i < m_drawn.size(); ++i) {
        const QRectF& box = m_drawn[i];
        const bool chosen = i < m_chosen.size() && m_chosen[i];
        const bool running = static_cast<int>(i) == m_running;
        QColor fill = chosen ? highlight.lighter(150) : QColor(0xd8, 0xdc, 0xe0);
        fill.setAlpha(230);
        painter.setPen(QPen(running  ? QColor(0xe0, 0x80, 0x00)
                            : chosen ? highlight
                                     : Qt::gray,
                            running  ? 4
                            : chosen ? 2
                                     : 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(box, 4, 4);

        const DisplayEntry& display = m_displays[i];
        QFont big = font();
        big.setBold(true);
        big.setPixelSize(std::max(10, std::min(int(box.height() * 0.38), int(box.width() * 0.3))));
        painter.setFont(big);
        painter.setPen(chosen ? QColor(0x10, 0x20, 0x40) : QColor(0x30, 0x30, 0x30));
        QRectF numberBox = box;
        numberBox.setBottom(box.top() + box.height() * 0.62);
        painter.drawText(numberBox, Qt::AlignCenter, display.number());

        QFont small = font();
        small.setPixelSize(std::max(8, std::min(13, int(box.height() * 0.14))));
        painter.setFont(small);
        QStringList lines{display.modelName.isEmpty() ? display.name : display.modelName};
        if (running)
            lines << tr("testing");
        else if (!display.connector.isEmpty())
            lines << display.connector;
        QRectF textBox = box.adjusted(3, box.height() * 0.58, -3, -2);
        const QFontMetrics metrics(small);
        QStringList fitted;
        for (const QString& line : lines)
            fitted << metrics.elidedText(line, Qt::ElideRight, int(textBox.width()));
        if (running)
            painter.setPen(QColor(0xa0, 0x50, 0x00));
        painter.drawText(textBox, Qt::AlignHCenter | Qt::AlignTop, fitted.join('\n'));
    }
}

void DeskView::mousePressEvent(QMouseEvent* event)
{
    // The last drawn is on top where rectangles overlap (clone outputs).
    for (int i = static_cast<int>(m_drawn.size()) - 1; i >= 0; --i) {
        if (m_drawn[i].contains(event->pos())) {
            emit displayClicked(i);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}
