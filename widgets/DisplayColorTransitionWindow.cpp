#include "widgets/DisplayColorTransitionWindow.h"

#include "widgets/DevicePainter.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {
constexpr int BandCount = 4;
constexpr int StepCount = 32;
constexpr float LevelIncrement = 7.96875f; // 255 / 32: the last step reaches 255
} // namespace

DisplayColorTransitionWindow::DisplayColorTransitionWindow(QWidget* parent, QObject* eventFilter,
                                                           int x, int y, int width, int height,
                                                           uint32_t mode,
                                                           const uint32_t* systemEventWord,
                                                           uint32_t timeoutSeconds)
    : DisplayWidget(parent, eventFilter, x, y, width, height, mode, systemEventWord, true,
                    timeoutSeconds)
{
    setAttribute(Qt::WA_OpaquePaintEvent); // the paint covers every pixel
}

void DisplayColorTransitionWindow::paintEvent(QPaintEvent* event)
{
    // Counted in device pixels: one pattern pixel is one pixel of the panel.
    DevicePainter device(this, event);
    QPainter& painter = device.painter();
    const int w = device.size().width();
    const int h = device.size().height();
    painter.fillRect(QRect(0, 0, w, h), QColor(Qt::black));

    const int gap = static_cast<int>(floorf(static_cast<float>(h) * 0.1f));
    const int bandHeight = (h - 5 * gap) / 4;
    const int stepWidth = w / StepCount + 1; // one pixel wider: neighbours overlap
    int y = 0;
    for (int band = 0; band < BandCount; ++band) {
        y += gap;
        const bool red = band == 0 || band == 3;
        const bool green = band == 1 || band == 3;
        const bool blue = band == 2 || band == 3;
        float level = 0.0f;
        for (int step = 0; step < StepCount; ++step) {
            level += LevelIncrement;
            const int v = static_cast<int>(floorf(level));
            const QRgb rgb = qRgba(red ? v : 0, green ? v : 0, blue ? v : 0, 255);
            const int left = static_cast<int>(static_cast<float>(w * step) * 0.03125f);
            painter.fillRect(QRect(left - 1, y, stepWidth, bandHeight), QColor(rgb));
        }
        y += bandHeight;
    }
}
