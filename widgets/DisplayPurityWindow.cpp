#include "widgets/DisplayPurityWindow.h"

#include "widgets/DevicePainter.h"

#include <QPaintEvent>
#include <QPainter>

namespace {
constexpr Qt::GlobalColor ColorIndex[] = {Qt::black, Qt::white, Qt::red, Qt::green, Qt::blue};
constexpr uint32_t ColorCount = sizeof(ColorIndex) / sizeof(ColorIndex[0]);
} // namespace

DisplayPurityWindow::DisplayPurityWindow(QWidget* parent, QObject* eventFilter, int x, int y,
                                         int width, int height, uint32_t mode,
                                         const uint32_t* systemEventWord, uint32_t timeoutSeconds)
    : DisplayWidget(parent, eventFilter, x, y, width, height, mode, systemEventWord, true,
                    timeoutSeconds)
{
    // A known colour covers every pixel, so Qt need not clear the window first.
    setAttribute(Qt::WA_OpaquePaintEvent, mode < ColorCount);
}

void DisplayPurityWindow::paintEvent(QPaintEvent* event)
{
    if (mode() >= ColorCount)
        return;
    DevicePainter device(this, event);
    device.painter().fillRect(QRect(QPoint(0, 0), device.size()), QColor(ColorIndex[mode()]));
}
