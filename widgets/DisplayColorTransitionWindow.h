#pragma once

#include "widgets/DisplayWidget.h"

// Four horizontal ramps of 32 steps each, red, green, blue and grey from top
// to bottom, separated by black gaps of a tenth of the height.
class DisplayColorTransitionWindow : public DisplayWidget
{
    Q_OBJECT

public:
    DisplayColorTransitionWindow(QWidget* parent, QObject* eventFilter, int x, int y, int width,
                                 int height, uint32_t mode, const uint32_t* systemEventWord,
                                 uint32_t timeoutSeconds);

protected:
    void paintEvent(QPaintEvent* event) override;
};
