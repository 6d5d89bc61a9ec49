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
using Expected = std::function<QRgb(int x, int y, int width, int height)>;

// The first full paint of a new window, into an image no pattern would leave.
template <typename Window> QImage render(QSize size, uint32_t mode)
{
    Window window(nullptr, nullptr, 0, 0, size.width(), size.height(), mode, nullptr, 5);
    QImage image(size, QImage::Format_RGB32);
    image.fill(0xFF123456);
    window.render(&image);
    return image;
}

// The sharpness tile as drawn: '#' is a black dot.
const char* const Tile[18] = {
    ".#.##.....#####...", "#.#..#...#........", "#.#..#....#####...", "#.#..#...#........",
    "#.#..#...#........", "#.#..#....#####...", "..................", "..................",
    "..................", "#####....#..#.#...", ".....#...#..#.#...", ".....#...#..#.#...",
    "#####....#..#.#...", ".....#...#..#.#...", "#####.....##.#....", "..................",
    "..................", "..................",
};

QRgb colourRamps(int x, int y, int w, int h)
{
    const int gap = h / 10;
    const int band = (h - 5 * gap) / 4;
    const int b = y < gap || band == 0 ? 4 : (y - gap) / (gap + band);
    if (b > 3 || y - gap - b * (gap + band) >= band)
        return 0xFF000000;
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
} // namespace

TEST(PatternPaint, EveryWindowPaintsItsFormulaAtEverySize)
{
    const QRgb background = QPalette().window().color().rgb();
    const auto fill = [](QRgb colour) { return [colour](int, int, int, int) { return colour; }; };
    const auto mesh = [](bool inverted) {
        return [inverted](int x, int y, int, int) -> QRgb {
            return (x + y) % 2 == 0 && !(inverted && y == 0) ? 0xFFFFFFFF : 0xFF000000;
        };
    };
    const struct
    {
        const char* name;
        std::function<QImage(QSize)> render;
        Expected expected;
    } rows[] = {
        {"black", [](QSize s) { return render<DisplayPurityWindow>(s, 0); }, fill(0xFF000000)},
        {"white", [](QSize s) { return render<DisplayPurityWindow>(s, 1); }, fill(0xFFFFFFFF)},
        {"red", [](QSize s) { return render<DisplayPurityWindow>(s, 2); }, fill(0xFFFF0000)},
        {"green", [](QSize s) { return render<DisplayPurityWindow>(s, 3); }, fill(0xFF00FF00)},
        {"blue", [](QSize s) { return render<DisplayPurityWindow>(s, 4); }, fill(0xFF0000FF)},
        {"no colour", [](QSize s) { return render<DisplayPurityWindow>(s, 5); }, fill(background)},
        {"ramps", [](QSize s) { return render<DisplayColorTransitionWindow>(s, 0); }, colourRamps},
        {"mesh", [](QSize s) { return render<DisplayMeshWindow>(s, 0); }, mesh(false)},
        {"inverted mesh", [](QSize s) { return render<DisplayMeshWindow>(s, 1); }, mesh(true)},
        {"sharpness", [](QSize s) { return render<DisplayMemeWindow>(s, 0); },
         [](int x, int y, int, int) -> QRgb {
             return Tile[y % 18][x % 18] == '#' ? 0xFF000000 : 0xFFFFFFFF;
         }},
    };
    // Full HD, a laptop, 10 pixels high, narrower than a sharpness tile, one pixel.
    for (QSize size :
         {QSize(1920, 1080), QSize(1366, 768), QSize(40, 10), QSize(17, 30), QSize(1, 1)}) {
        for (const auto& row : rows) {
            const QImage image = row.render(size);
            int wrong = 0;
            for (int y = 0; y < size.height() && !wrong; ++y)
                for (int x = 0; x < size.width() && !wrong; ++x)
                    wrong = image.pixel(x, y) != row.expected(x, y, size.width(), size.height());
            EXPECT_EQ(wrong, 0) << row.name << " " << size.width() << "x" << size.height();
        }
    }
    // Figures a user can measure, independent of the formula above.
    const QImage hd = render<DisplayColorTransitionWindow>(QSize(1920, 1080), 0);
    EXPECT_EQ(hd.pixel(59, 242), qRgb(15, 0, 0));
    EXPECT_EQ(hd.pixel(1919, 108 + 3 * 243), qRgb(255, 255, 255));

    // Windows without an area are shown and run without painting anything.
    for (QSize size : {QSize(0, 0), QSize(0, 1080), QSize(1920, 0)}) {
        const auto run = [size](auto&& wrapper) {
            wrapper.width = size.width();
            wrapper.height = size.height();
            return wrapper.run(nullptr, nullptr);
        };
        EXPECT_EQ((std::vector<int>{run(DisplayWidgetWrapper<DisplayMeshWindow>()),
                                    run(DisplayWidgetWrapper<DisplayMemeWindow>()),
                                    run(DisplayWidgetWrapper<DisplayColorTransitionWindow>()),
                                    run(DisplayWidgetWrapper<DisplayPurityWindow>())}),
                  std::vector<int>(4, Timeout));
    }
}
