#include "widgets/DisplayMemeWindow.h"

#include "widgets/DevicePainter.h"
#include "widgets/PointList.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <array>

namespace {
// Three five-dot strokes and three joining dots per quarter of the tile.
std::array<QPoint, DisplayMemeWindow::TileDots> buildTile()
{
    std::array<QPoint, DisplayMemeWindow::TileDots> dots;
    int n = 0;
    // Top left, opening downwards.
    for (int dx : {0, 2, 5})
        for (int dy = 1; dy <= 5; ++dy)
            dots[n++] = QPoint(dx, dy);
    for (int dx : {1, 3, 4})
        dots[n++] = QPoint(dx, 0);
    // Top right, opening to the right.
    for (int dy : {0, 2, 5})
        for (int dx = 10; dx <= 14; ++dx)
            dots[n++] = QPoint(dx, dy);
    for (int dy : {1, 3, 4})
        dots[n++] = QPoint(9, dy);
    // Bottom left, opening to the left.
    for (int dy : {9, 12, 14})
        for (int dx = 0; dx <= 4; ++dx)
            dots[n++] = QPoint(dx, dy);
    for (int dy : {10, 11, 13})
        dots[n++] = QPoint(5, dy);
    // Bottom right, opening upwards.
    for (int dx : {9, 12, 14})
        for (int dy = 9; dy <= 13; ++dy)
            dots[n++] = QPoint(dx, dy);
    for (int dx : {10, 11, 13})
        dots[n++] = QPoint(dx, 14);
    return dots;
}

const std::array<QPoint, DisplayMemeWindow::TileDots> Tile = buildTile();
} // namespace

DisplayMemeWindow::DisplayMemeWindow(QWidget* parent, QObject* eventFilter, int x, int y, int width,
                                     int height, uint32_t mode, const uint32_t* systemEventWord,
                                     uint32_t timeoutSeconds)
    : DisplayWidget(parent, eventFilter, x, y, width, height, mode, systemEventWord, true,
                    timeoutSeconds)
{
    setAttribute(Qt::WA_OpaquePaintEvent); // the paint covers every pixel
}

const QPoint* DisplayMemeWindow::tile()
{
    return Tile.data();
}

void DisplayMemeWindow::paintEvent(QPaintEvent* event)
{
    // Counted in device pixels: one pattern pixel is one pixel of the panel.
    DevicePainter device(this, event);
    QPainter& painter = device.painter();
    const int w = device.size().width();
    const int h = device.size().height();
    painter.fillRect(QRect(0, 0, w, h), QColor(Qt::white));
    painter.setPen(Qt::black);

    // Every tile whose origin lies inside the window is listed whole; the
    // painter clips what reaches beyond the edge.
    const qint64 columns = w > 0 ? (w + TileSize - 1) / TileSize : 0;
    const qint64 rows = h > 0 ? (h + TileSize - 1) / TileSize : 0;
    QPolygon points = PointList::allocate(columns * rows * TileDots);
    if (points.isEmpty())
        return;
    QPoint* out = points.data();
    for (int x = 0; x < w; x += TileSize) {
        for (int y = 0; y < h; y += TileSize) {
            const QPoint origin(x, y);
            out = std::transform(Tile.begin(), Tile.end(), out,
                                 [origin](const QPoint& dot) { return dot + origin; });
        }
    }
    painter.drawPoints(points);
}
