#pragma once

#include "widgets/DisplayWidget.h"

// A one-pixel checkerboard of white dots on black: a dot wherever x + y is
// even. With mode 1 the top row stays black.
class DisplayMeshWindow : public DisplayWidget
{
public:
    DisplayMeshWindow(QWidget* parent, QObject* eventFilter, int x, int y, int width, int height,
                      uint32_t mode, const uint32_t* systemEventWord, uint32_t timeoutSeconds);

protected:
    void paintEvent(QPaintEvent* event) override;
};
