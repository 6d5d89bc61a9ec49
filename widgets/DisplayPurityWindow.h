#pragma once

#include "widgets/DisplayWidget.h"

// Fills the display with one plain colour, chosen by mode as a ColorIndex:
// 0 black, 1 white, 2 red, 3 green, 4 blue. Any other mode paints nothing.
class DisplayPurityWindow : public DisplayWidget
{
public:
    DisplayPurityWindow(QWidget* parent, QObject* eventFilter, int x, int y, int width, int height,
                        uint32_t mode, const uint32_t* systemEventWord, uint32_t timeoutSeconds);

protected:
    void paintEvent(QPaintEvent* event) override;
};
