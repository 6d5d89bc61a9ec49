#include "host/gui/DeskView.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

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
    m_selected = -1;
    m_running = -1;
    m_groups.clear();
    m_desk.clear();
    QRect known;
    for (const DisplayEntry& display : displays) {
        if (!display.geometry.isNull())
            known = known.united(display.geometry);
    }
    int nextLeft = known.isNull() ? 0 : known.right() + 1;
    for (int i = 0; i < static_cast<int>(displays.size()); ++i) {
        const DisplayEntry& display = displays[i];
        // Outputs with the same rectangle show the same picture.
        auto clone = std::find_if(m_desk.begin(), m_desk.end(), [&](const QRect& rect) {
            return !display.geometry.isNull() && rect == display.geometry;
        });
        if (clone != m_desk.end()) {
            m_groups[clone - m_desk.begin()].push_back(i);
            continue;
        }
        m_groups.push_back({i});
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

void DeskView::setSelected(int index)
{
    m_selected = index;
    update();
}

void DeskView::setRunning(int index)
{
    m_running = index;
    update();
}

QVector<int> DeskView::groupOf(int index) const
{
    for (const QVector<int>& group : m_groups) {
        if (group.contains(index))
            return group;
    }
    return {};
}

QRect DeskView::displayRect(int index) const
{
    for (size_t g = 0; g < m_groups.size() && g < m_drawn.size(); ++g) {
        if (m_groups[g].contains(index))
            return m_drawn[g].toRect();
    }
    return {};
}

QRect DeskView::checkRect(int index) const
{
    const QRect box = displayRect(index);
    if (box.isEmpty())
        return {};
    const int side = std::max(12, std::min(18, box.height() / 5));
    return QRect(box.left() + 5, box.top() + 5, side, side);
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
    if (m_displays.empty()) {
        QFont big = font();
        big.setPointSizeF(big.pointSizeF() * 1.3);
        painter.setFont(big);
        painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
        painter.drawText(rect(), Qt::AlignCenter, tr("No displays found"));
        return;
    }
    const QColor highlight = palette().color(QPalette::Highlight);
    for (size_t g = 0; g < m_drawn.size(); ++g) {
        const QRectF& box = m_drawn[g];
        const QVector<int>& members = m_groups[g];
        const bool chosen = std::all_of(members.begin(), members.end(), [this](int i) {
            return i < static_cast<int>(m_chosen.size()) && m_chosen[i];
        });
        const bool running = members.contains(m_running);
        const bool selected = members.contains(m_selected);
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
        if (selected) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DashLine));
            painter.drawRoundedRect(box.adjusted(-3, -3, 3, 3), 5, 5);
        }

        QStringList numbers, names;
        for (int i : members) {
            const DisplayEntry& display = m_displays[i];
            numbers << display.number();
            names << (display.modelName.isEmpty() ? display.name : display.modelName);
        }
        names.removeDuplicates();
        QFont big = font();
        big.setBold(true);
        big.setPixelSize(
            std::max(10, std::min(int(box.height() * 0.38),
                                  int(box.width() * 0.6 / numbers.join(" = ").size()))));
        painter.setFont(big);
        painter.setPen(chosen ? QColor(0x10, 0x20, 0x40) : QColor(0x30, 0x30, 0x30));
        QRectF numberBox = box;
        numberBox.setBottom(box.top() + box.height() * 0.62);
        painter.drawText(numberBox, Qt::AlignCenter, numbers.join(QStringLiteral(" = ")));

        QFont small = font();
        small.setPixelSize(std::max(8, std::min(13, int(box.height() * 0.14))));
        painter.setFont(small);
        QStringList lines{names.join(QStringLiteral(" = "))};
        const DisplayEntry& first = m_displays[members.front()];
        if (running)
            lines << tr("testing");
        else if (!first.connector.isEmpty())
            lines << first.connector;
        QRectF textBox = box.adjusted(3, box.height() * 0.58, -3, -2);
        const QFontMetrics metrics(small);
        QStringList fitted;
        for (const QString& line : lines)
            fitted << metrics.elidedText(line, Qt::ElideRight, int(textBox.width()));
        if (running)
            painter.setPen(QColor(0xa0, 0x50, 0x00));
        painter.drawText(textBox, Qt::AlignHCenter | Qt::AlignTop, fitted.join('\n'));

        QStyleOptionButton check;
        check.initFrom(this);
        check.rect = checkRect(members.front());
        check.state |= chosen ? QStyle::State_On : QStyle::State_Off;
        if (!isEnabled())
            check.state &= ~QStyle::State_Enabled;
        style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &check, &painter, this);
    }
}

int DeskView::groupAt(const QPoint& point) const
{
    for (int g = static_cast<int>(m_drawn.size()) - 1; g >= 0; --g) {
        if (m_drawn[g].contains(point))
            return g;
    }
    return -1;
}

void DeskView::toggleGroup(int group)
{
    const QVector<int>& members = m_groups[group];
    const bool allChosen = std::all_of(members.begin(), members.end(), [this](int i) {
        return i < static_cast<int>(m_chosen.size()) && m_chosen[i];
    });
    emit choiceRequested(members, !allChosen);
}

void DeskView::mousePressEvent(QMouseEvent* event)
{
    const int group = groupAt(event->pos());
    if (group < 0 || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QVector<int>& members = m_groups[group];
    if (checkRect(members.front()).adjusted(-3, -3, 3, 3).contains(event->pos())) {
        toggleGroup(group);
        return;
    }
    // A click on clones selects each of them in turn.
    const int at = members.indexOf(m_selected);
    emit displaySelected(members[(at + 1) % members.size()]);
}

void DeskView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int group = groupAt(event->pos());
    if (group < 0 || event->button() != Qt::LeftButton ||
        checkRect(m_groups[group].front()).adjusted(-3, -3, 3, 3).contains(event->pos())) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    toggleGroup(group);
}
