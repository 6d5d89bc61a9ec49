#include "host/gui/IdentifyWindow.h"

#include "host/gui/DisplayEntry.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTimer>

#include <algorithm>

IdentifyWindow::IdentifyWindow(const QVector<DisplayEntry>& displays, const QRect& displayRect,
                               QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::X11BypassWindowManagerHint)
{
    setObjectName(QStringLiteral("identifyWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    QStringList numbers, names, connectors;
    for (const DisplayEntry& display : displays) {
        numbers << display.id;
        names << (display.modelName.isEmpty() ? display.name : display.modelName);
        connectors << display.connector;
    }
    m_number = numbers.join(QStringLiteral(" = "));
    names.removeDuplicates();
    connectors.removeDuplicates();
    connectors.removeAll(QString());
    QStringList detail{names.join(QStringLiteral(" = "))};
    if (!connectors.isEmpty())
        detail << connectors.join(QStringLiteral(", "));
    const QString resolution = displays.isEmpty() ? QString() : displays.front().resolution;
    detail << (resolution.isEmpty()
                   ? QStringLiteral("%1x%2").arg(displayRect.width()).arg(displayRect.height())
                   : resolution);
    m_detail = detail.join(QStringLiteral(" \u00b7 "));
    // A third of the display's height, wide enough for "dpy16" (or more for clones).
    const int height = std::max(120, displayRect.height() / 3);
    const QSize size(std::min(displayRect.width(), height * (1 + numbers.size())), height);
    setGeometry(QRect(displayRect.center() - QPoint(size.width() / 2, size.height() / 2), size));
    QTimer::singleShot(ShowMs, this, &QWidget::close);
}

void IdentifyWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0x20, 0x28, 0x38));
    painter.setPen(QPen(QColor(0x5a, 0x9b, 0xe6), 6));
    painter.drawRect(rect().adjusted(3, 3, -3, -3));

    QFont big = font();
    big.setBold(true);
    big.setPixelSize(height() * 45 / 100);
    // Clones share the box: the numbers shrink to fit side by side.
    while (big.pixelSize() > 12 && QFontMetrics(big).horizontalAdvance(m_number) > width() * 9 / 10)
        big.setPixelSize(big.pixelSize() - 2);
    painter.setFont(big);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, width(), height() * 72 / 100), Qt::AlignCenter, m_number);

    QFont small = font();
    small.setPixelSize(std::max(12, height() / 10));
    painter.setFont(small);
    painter.setPen(QColor(0xc8, 0xd4, 0xe4));
    painter.drawText(QRect(8, height() * 70 / 100, width() - 16, height() * 25 / 100),
                     Qt::AlignHCenter | Qt::AlignTop, m_detail);
}

void IdentifyWindow::mousePressEvent(QMouseEvent*)
{
    close();
}
