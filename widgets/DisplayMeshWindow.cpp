#include "widgets/DisplayMeshWindow.h"

#include "widgets/DevicePainter.h"
#include "widgets/PointList.h"

#include <QPaintEvent>
#include <QPainter>

DisplayMeshWindow::DisplayMeshWindow(QWidget* parent, QObject* eventFilter, int x, int y, int width,
                                     int height, uint32_t mode, const uint32_t* systemEventWord,
                                     uint32_t timeoutSeconds)
    : DisplayWidget(parent, eventFilter, x, y, width, height, mode, systemEventWord, true,
                    timeoutSeconds)
{
    setAttribute(Qt::WA_OpaquePaintEvent); // the paint covers every pixel
}

void DisplayMeshWindow::paintEvent(QPaintEvent* event)
{
    // Counted in device pixels: one pattern pixel is one pixel of the panel.
    DevicePainter device(this, event);
    QPainter& painter = device.painter();
    const int w = device.size().width();
    const int h = device.size().height();
    painter.fillRect(QRect(0, 0, w, h), QColor(Qt::black));
    painter.setPen(Qt::white);

    const int firstRow = mode() == 1 ? 1 : 0;
    // Rows of even y hold the dots at even x, rows of odd y those at odd x.
    const qint64 evenRowDots = (w + 1) / 2;
    const qint64 oddRowDots = w / 2;
    qint64 count = 0;
    for (int y = firstRow; y < h; ++y)
        count += (y % 2) ? oddRowDots : evenRowDots;

    QPolygon points = PointList::allocate(count);
    if (points.isEmpty())
        return;
    QPoint* out = points.data();
    for (int y = firstRow; y < h; ++y) {
        for (int x = y % 2; x < w; x += 2)
            *out++ = QPoint(x, y);
    }
    painter.drawPoints(points);
}
