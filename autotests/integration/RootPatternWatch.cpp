// root_pattern_watch PATTERN X Y WIDTH HEIGHT SECONDS: watches the X
// server's root window (what the screen shows) until the rectangle shows the
// pattern pixel for pixel, for checks of programs this project does not
// build itself for the host (the Windows build under Wine). PATTERN is red
// (every pixel FF0000) or mesh (white where x + y is even, black elsewhere).
// Exits 0 once it is seen, 1 when SECONDS pass first (saying how many pixels
// differed at the last look), 2 on bad arguments.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {
unsigned long expected(const char* pattern, int x, int y)
{
    if (std::strcmp(pattern, "red") == 0)
        return 0xFF0000ul;
    return (x + y) % 2 == 0 ? 0xFFFFFFul : 0ul;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 7 || (std::strcmp(argv[1], "red") != 0 && std::strcmp(argv[1], "mesh") != 0)) {
        std::fprintf(stderr, "usage: root_pattern_watch red|mesh X Y WIDTH HEIGHT SECONDS\n");
        return 2;
    }
    const int left = std::atoi(argv[2]);
    const int top = std::atoi(argv[3]);
    const int width = std::atoi(argv[4]);
    const int height = std::atoi(argv[5]);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[6]));
    Display* display = XOpenDisplay(nullptr);
    if (!display || width <= 0 || height <= 0) {
        std::fprintf(stderr, "root_pattern_watch: no X display or an empty rectangle\n");
        return 2;
    }
    long wrong = -1;
    while (std::chrono::steady_clock::now() < deadline) {
        XImage* image = XGetImage(display, DefaultRootWindow(display), left, top, unsigned(width),
                                  unsigned(height), AllPlanes, ZPixmap);
        wrong = image ? 0 : -1;
        for (int y = 0; image && y < height; ++y)
            for (int x = 0; x < width; ++x)
                wrong += (XGetPixel(image, x, y) & 0xFFFFFF) != expected(argv[1], x, y);
        if (image)
            XDestroyImage(image);
        if (wrong == 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    XCloseDisplay(display);
    if (wrong == 0)
        return 0;
    std::fprintf(stderr, "root_pattern_watch: %ld pixels differ from %s at %d,%d %dx%d\n", wrong,
                 argv[1], left, top, width, height);
    return 1;
}
