#pragma once

#include "widgets/DisplayWidget.h"

// Tiles of fine black glyphs on white for judging sharpness: every 18 x 18
// tile holds 72 dots, three parallel strokes joined at one end, in four
// orientations.
class DisplayMemeWindow : public DisplayWidget
{
public:
    static constexpr int TileSize = 18;
    static constexpr int TileDots = 72;

    DisplayMemeWindow(QWidget* parent, QObject* eventFilter, int x, int y, int width, int height,
                      uint32_t mode, const uint32_t* systemEventWord, uint32_t timeoutSeconds);

    // The dots of one tile, relative to its origin.
    static const QPoint* tile();

protected:
    void paintEvent(QPaintEvent* event) override;
};
