// The pixels each pattern window paints, compared with the pattern's
// definition at the sizes real and odd displays have.

#include "widgets/DisplayColorTransitionWindow.h"
#include "widgets/DisplayMemeWindow.h"
#include "widgets/DisplayMeshWindow.h"
#include "widgets/DisplayPurityWindow.h"
#include "widgets/DisplayWidgetWrapper.h"

#include <QImage>

#include <gtest/gtest.h>

#include <functional>

namespace {
// Never painted by any pattern: shows where a window leaves pixels untouched.
constexpr QRgb Untouched = 0xFF123456;

const QSize Sizes[] = {{1920, 1080}, {1366, 768}, {40, 10}, {17, 30}, {1, 1}};

// The first full paint of a new window, into an image.
template <typename Window> QImage render(QSize size, uint32_t mode)
{
    Window window(nullptr, nullptr, 0, 0, size.width(), size.height(), mode, nullptr, 5);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Untouched);
    window.render(&image);
    return image;
}

// The first pixel that differs from the expectation, as "x,y", or "".
std::string firstMismatch(const QImage& image, const std::function<QRgb(int, int)>& expected)
{
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] != expected(x, y))
                return std::to_string(x) + "," + std::to_string(y) + " is " +
                       QString::number(line[x], 16).toStdString();
    }
    return {};
}

std::string sizeText(QSize size)
{
    return std::to_string(size.width()) + "x" + std::to_string(size.height());
}

// The sharpness tile as drawn: '#' is a black dot.
const char* const Tile[18] = {
    ".#.##.....#####...", "#.#..#...#........", "#.#..#....#####...", "#.#..#...#........",
    "#.#..#...#........", "#.#..#....#####...", "..................", "..................",
    "..................", "#####....#..#.#...", ".....#...#..#.#...", ".....#...#..#.#...",
    "#####....#..#.#...", ".....#...#..#.#...", "#####.....##.#....", "..................",
    "..................", "..................",
};
} // namespace

TEST(PatternPaint, PurityFillsWithItsColourIndex)
{
    const QRgb colours[] = {0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    for (QSize size : Sizes)
        for (uint32_t mode = 0; mode < 5; ++mode) {
            const QImage image = render<DisplayPurityWindow>(size, mode);
            EXPECT_EQ(firstMismatch(image, [&](int, int) { return colours[mode]; }), "")
                << sizeText(size) << " mode " << mode;
        }
    // Other modes leave Qt's own background.
    for (uint32_t mode : {5u, 0xFFFFFFFFu}) {
        DisplayPurityWindow window(nullptr, nullptr, 0, 0, 30, 20, mode, nullptr, 5);
        const QRgb background = window.palette().window().color().rgb();
        const QImage image = render<DisplayPurityWindow>(QSize(30, 20), mode);
        EXPECT_EQ(firstMismatch(image, [&](int, int) { return background; }), "") << mode;
    }
}

TEST(PatternPaint, ColourTransitionHasFourRampsOf32Steps)
{
    for (QSize size : Sizes) {
        const int w = size.width();
        const int h = size.height();
        const int gap = h / 10;
        const int band = (h - 5 * gap) / 4;
        const int stepWidth = w / 32 + 1;
        auto expected = [&](int x, int y) -> QRgb {
            if (y < gap || band == 0)
                return 0xFF000000;
            const int b = (y - gap) / (gap + band);
            const int inBand = y - gap - b * (gap + band);
            if (y < gap || b > 3 || inBand < 0 || inBand >= band)
                return 0xFF000000;
            // The last step drawn over x wins: steps overlap by one pixel.
            int step = -1;
            for (int i = 0; i < 32; ++i) {
                const int left = int(double(w) * i / 32) - 1;
                if (x >= left && x < left + stepWidth)
                    step = i;
            }
            if (step < 0)
                return 0xFF000000;
            const int v = 8 * (step + 1) - 1;
            return qRgb(b == 0 || b == 3 ? v : 0, b == 1 || b == 3 ? v : 0,
                        b == 2 || b == 3 ? v : 0);
        };
        const QImage image = render<DisplayColorTransitionWindow>(size, 0xFFFFFFFF);
        EXPECT_EQ(firstMismatch(image, expected), "") << sizeText(size);
    }

    // The figures a user can measure on common displays.
    const QImage hd = render<DisplayColorTransitionWindow>(QSize(1920, 1080), 0xFFFFFFFF);
    EXPECT_EQ(hd.pixel(0, 107), 0xFF000000);
    EXPECT_EQ(hd.pixel(0, 108), qRgb(7, 0, 0));
    EXPECT_EQ(hd.pixel(0, 242), qRgb(7, 0, 0));
    EXPECT_EQ(hd.pixel(0, 243), 0xFF000000);
    EXPECT_EQ(hd.pixel(1919, 108 + 3 * 243), qRgb(255, 255, 255));
    EXPECT_EQ(hd.pixel(59, 108), qRgb(15, 0, 0)); // step 1 starts at 59
    const QImage laptop = render<DisplayColorTransitionWindow>(QSize(1366, 768), 0xFFFFFFFF);
    EXPECT_EQ(laptop.pixel(1364, 80), qRgb(255, 0, 0));
    EXPECT_EQ(laptop.pixel(1365, 80), 0xFF000000);
}

TEST(PatternPaint, MeshIsADotCheckerboard)
{
    for (QSize size : Sizes)
        for (uint32_t mode : {0u, 1u, 2u, 0xFFFFFFFFu}) {
            const QImage image = render<DisplayMeshWindow>(size, mode);
            auto expected = [mode](int x, int y) -> QRgb {
                const bool dot = (x + y) % 2 == 0 && !(mode == 1 && y == 0);
                return dot ? 0xFFFFFFFF : 0xFF000000;
            };
            EXPECT_EQ(firstMismatch(image, expected), "") << sizeText(size) << " mode " << mode;
        }
}

TEST(PatternPaint, SharpnessRepeatsItsTileFromTheTopLeft)
{
    for (QSize size : Sizes) {
        const QImage image = render<DisplayMemeWindow>(size, 0xFFFFFFFF);
        auto expected = [](int x, int y) -> QRgb {
            return Tile[y % 18][x % 18] == '#' ? 0xFF000000 : 0xFFFFFFFF;
        };
        EXPECT_EQ(firstMismatch(image, expected), "") << sizeText(size);
    }
}

namespace {
template <typename Window> int runWindow(QSize size)
{
    DisplayWidgetWrapper<Window> wrapper;
    wrapper.width = size.width();
    wrapper.height = size.height();
    return wrapper.run(nullptr, nullptr);
}
} // namespace

TEST(PatternPaint, EmptyWindowsRunWithoutPainting)
{
    for (QSize size : {QSize(0, 0), QSize(0, 1080), QSize(1920, 0)}) {
        EXPECT_EQ(runWindow<DisplayMeshWindow>(size), int(Timeout)) << sizeText(size);
        EXPECT_EQ(runWindow<DisplayMemeWindow>(size), int(Timeout)) << sizeText(size);
        EXPECT_EQ(runWindow<DisplayColorTransitionWindow>(size), int(Timeout)) << sizeText(size);
        EXPECT_EQ(runWindow<DisplayPurityWindow>(size), int(Timeout)) << sizeText(size);
    }
}
