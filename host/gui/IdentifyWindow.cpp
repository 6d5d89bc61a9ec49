#include "host/gui/IdentifyWindow.h"

#include "host/gui/DisplayEntry.h"

#include <QPainter>
#include <QTimer>

#include <algorithm>

IdentifyWindow::IdentifyWindow(const DisplayEntry& display, const QRect& displayRect,
                               QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::X11BypassWindowManagerHint),
      m_number(display.id)
{
    setObjectName(QStringLiteral("identifyWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    QStringList detail{display.modelName.isEmpty() ? display.name : display.modelName};
    if (!display.connector.isEmpty())
        detail << display.connector;
    m_detail = detail.join(QStringLiteral(" \u00b7 "));
    // A third of the display's height, wide enough for "dpy16".
    const int height = std::max(120, displayRect.height() / 3);
    const QSize size(std::min(displayRect.width(), height * 2), height);
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
