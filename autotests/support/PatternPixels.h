#pragma once

#include <QImage>
#include <QRgb>

#include <functional>

// What each test pattern shows at a pixel of a width x height window,
// written from the patterns' description rather than from the windows'
// code, for the tests that read the patterns back.
namespace PatternPixels {
using Pixel = std::function<QRgb(int x, int y, int width, int height)>;
constexpr QRgb Black = 0xFF000000, White = 0xFFFFFFFF;

inline Pixel fill(QRgb colour)
{
    return [colour](int, int, int, int) { return colour; };
}

inline QRgb mesh(int x, int y, int, int)
{
    return (x + y) % 2 ? Black : White;
}

// The mesh with its top row black.
inline QRgb invertedMesh(int x, int y, int, int)
{
    return y ? mesh(x, y, 0, 0) : Black;
}

// The sharpness tile, repeated from the top left corner: '#' is a black dot.
inline QRgb sharpness(int x, int y, int, int)
{
    static const char* const Tile[18] = {
        ".#.##.....#####...", "#.#..#...#........", "#.#..#....#####...", "#.#..#...#........",
        "#.#..#...#........", "#.#..#....#####...", "..................", "..................",
        "..................", "#####....#..#.#...", ".....#...#..#.#...", ".....#...#..#.#...",
        "#####....#..#.#...", ".....#...#..#.#...", "#####.....##.#....", "..................",
        "..................", "..................",
    };
    return Tile[y % 18][x % 18] == '#' ? Black : White;
}

// Four bands (red, green, blue, white) of 32 steps on black, a tenth of the
// height apart.
inline QRgb colourRamps(int x, int y, int w, int h)
{
    const int gap = h / 10;
    const int band = (h - 5 * gap) / 4;
    const int b = y < gap || band == 0 ? 4 : (y - gap) / (gap + band);
    if (b > 3 || y - gap - b * (gap + band) >= band)
        return Black;
    // The last step drawn over x wins: steps overlap by one pixel.
    int step = -1;
    for (int i = 0; i < 32; ++i) {
        const int left = int(double(w) * i / 32) - 1;
        if (x >= left && x < left + w / 32 + 1)
            step = i;
    }
    const int v = step < 0 ? 0 : 8 * (step + 1) - 1;
    return qRgb(b == 0 || b == 3 ? v : 0, b == 1 || b == 3 ? v : 0, b == 2 || b == 3 ? v : 0);
}

// The whole picture at that size.
inline QImage image(QSize size, const Pixel& pixel)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, pixel(x, y, size.width(), size.height()));
    return image;
}
} // namespace PatternPixels
