#include "EdidSampleFile.h"
#include "XorgDesk.h"

#include "widgets/DisplayColorTransitionWindow.h"
#include "widgets/DisplayMemeWindow.h"
#include "widgets/DisplayMeshWindow.h"
#include "widgets/DisplayPurityWindow.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

// After gtest and Qt: Xlib's macros collide with their names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace {
// The command-line host on the desk, as a user would run it.
class CliOnXorg : public XorgDesk
{
protected:
    // Runs the host with the X11 backend, and meanwhile what the test does
    // while it runs. Attended tests need real windows (this process itself
    // runs on the offscreen platform).
    static QJsonObject cli(
        const QStringList& arguments, const std::function<void()>& meanwhile = [] {})
    {
        qputenv("QT_QPA_PLATFORM", "xcb");
        QProcess process;
        process.start(qEnvironmentVariable("MODULE_DISPLAY_BINARY_DIR") +
                          "/bin/OrvaneDiagnosticsCLI",
                      QStringList{"--platform=x11", "--json"} + arguments);
        meanwhile();
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    }

    // The place (and the title, when asked) of the mapped window that
    // bypasses the window manager.
    bool bypassingWindow(XWindowAttributes& found, std::string* title = nullptr)
    {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        bool any = false;
        XWindowAttributes attributes;
        XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count);
        for (unsigned i = 0; i < count; ++i)
            if (XGetWindowAttributes(m_display, children[i], &attributes) &&
                attributes.map_state == IsViewable && attributes.override_redirect) {
                any = (found = attributes, true);
                if (title)
                    *title = windowName(children[i]);
            }
        XFree(children);
        return any;
    }
    std::string windowName(Window window)
    {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        std::string name;
        if (XGetWindowProperty(m_display, window, XInternAtom(m_display, "_NET_WM_NAME", False), 0,
                               1024, False, XInternAtom(m_display, "UTF8_STRING", False), &type,
                               &format, &items, &after, &data) == Success &&
            data)
            name.assign(reinterpret_cast<const char*>(data), items);
        if (data)
            XFree(data);
        return name;
    }
    // Root-window pixels (what the screen shows) in the window's rectangle
    // that differ from the pattern; -1 when the screenshot fails.
    long mismatches(const XWindowAttributes& at,
                    const std::function<unsigned long(int, int)>& pattern)
    {
        XImage* image = XGetImage(m_display, DefaultRootWindow(m_display), at.x, at.y,
                                  unsigned(at.width), unsigned(at.height), AllPlanes, ZPixmap);
        long wrong = image ? 0 : -1;
        for (int y = 0; image && y < at.height; ++y)
            for (int x = 0; x < at.width; ++x)
                wrong += (XGetPixel(image, x, y) & 0xFFFFFF) != pattern(x, y);
        if (image)
            XDestroyImage(image);
        return wrong;
    }
    // Whether the pointer, moved over dpy2, draws any pixel.
    bool pointerShows()
    {
        XWarpPointer(m_display, None, DefaultRootWindow(m_display), 0, 0, 0, 0, 2560, 512);
        XSync(m_display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        XFixesCursorImage* cursor = XFixesGetCursorImage(m_display);
        const bool visible =
            cursor && std::any_of(cursor->pixels, cursor->pixels + cursor->width * cursor->height,
                                  [](unsigned long pixel) { return pixel >> 24 != 0; });
        XFree(cursor);
        return visible;
    }
};
} // namespace

// A disabled output gives no device and uses no number.
TEST_F(CliOnXorg, ListsEnabledOutputsAsDpyNumbersWithTheirProperties)
{
    const std::pair<const char*, std::string> rows[] = {
        {"true", BenQ}, // the shell command arranging the desk, the second display's EDID
        {"xrandr --addmode DUMMY2 1280x1024 && xrandr --output DUMMY1 --off --output DUMMY2 "
         "--mode 1280x1024 --pos 1920x0 && xrandr -q",
         Dell},
    };
    for (const auto& [arrange, second] : rows) {
        SCOPED_TRACE(arrange);
        ASSERT_EQ(run(arrange), 0);
        setProperty("DUMMY2", "EDID", EdidSampleFile::bySource(Dell).full);
        const QJsonArray devices = cli({"--list"}).value("devices").toArray();
        ASSERT_EQ(devices.size(), 2);
        for (int i = 0; i < 2; ++i) {
            Properties properties;
            for (const QJsonValue pair : devices[i]["properties"].toArray())
                properties.emplace_back(pair["key"].toString().toLatin1().toStdString(),
                                        pair["value"].toString().toLatin1().toStdString());
            EXPECT_EQ(properties, i ? displayProperties("dpy2", "1280x1024", second)
                                    : displayProperties("dpy1", "1920x1080", Eizo));
        }
    }
}

// Dell's 2560x1440 panel on DUMMY1: out of reach until that mode is offered.
TEST_F(CliOnXorg, ResolutionFittingGivesBothConclusions)
{
    setProperty("DUMMY1", "EDID", EdidSampleFile::bySource(Dell).full);
    for (const auto& [arrange, message] :
         {std::pair{"true", "YOUR_SYSTEM_CAN'T_REACH_THE_MAXIMUM_RESOLUTION_OF_YOUR_DISPLAY."},
          {"xrandr --newmode md-1440 241.50 2560 2608 2640 2720 1440 1443 1448 1481 &&"
           " xrandr --addmode DUMMY1 md-1440",
           "YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION."}}) {
        ASSERT_EQ(run(arrange), 0);
        EXPECT_EQ(cli({"-Mdisplay", "-Qf", "dpy2"}).value("runs")[0]["messages"],
                  QJsonValue(QJsonArray{message}));
    }
}

// While each window is up: it lies exactly on dpy2's output, bypasses the
// window manager, hides the pointer, and the screen shows its pattern pixel
// for pixel.
TEST_F(CliOnXorg, AttendedWindowsCoverTheOutputAndShowTheirPatterns)
{
    const auto mesh = [](int x, int y) { return (x + y) % 2 == 0 ? 0xFFFFFFul : 0ul; };
    const std::pair<const char*, std::function<unsigned long(int, int)>> rows[] = {
        {"-Qr", [](int, int) { return 0xFF0000ul; }},
        {"-Qm", mesh},
        {"-Qi", [&](int x, int y) { return y == 0 ? 0ul : mesh(x, y); }}, // top row black
    };
    for (const auto& [test, pattern] : rows) {
        SCOPED_TRACE(test);
        XWindowAttributes window{};
        long wrong = -1;
        bool pointer = false;
        std::string title;
        const QJsonObject report =
            cli({"-Mdisplay", test, "dpy2", "--answers=continue,yes", "--set",
                 "CSAT.CSAT_TEST_TIMEOUT=4"},
                [&] {
                    // Painting follows mapping; look again until the picture settles,
                    // or the window has closed.
                    for (int tries = 0; tries < 200 && wrong != 0; ++tries) {
                        if (!bypassingWindow(window, &title) && window.width)
                            return;
                        if (window.x == 1920 && window.y == 0 && window.width == 1280 &&
                            window.height == 1024)
                            wrong = mismatches(window, pattern);
                        std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    }
                    pointer = pointerShows();
                });
        EXPECT_EQ(std::make_tuple(window.x, window.y, window.width, window.height),
                  std::make_tuple(1920, 0, 1280, 1024));
        EXPECT_EQ(wrong, 0) << "pixels differing from the pattern";
        EXPECT_FALSE(pointer) << "the pointer shows over the test window";
        // The window list names the test and the display, scripted or not.
        EXPECT_NE(title.find(" \u2014 dpy2 \u00b7 "), std::string::npos) << title;
        EXPECT_EQ(report.value("runs")[0]["resultName"].toString(), "Passed");
    }
}

namespace {
// What a window of that class paints on DUMMY1's 1280x1024 pixels without
// any scaling (this process runs unscaled on the offscreen platform).
template <typename Window> QImage unscaled(uint32_t mode)
{
    Window window(nullptr, nullptr, 0, 0, 1280, 1024, mode, nullptr, 5);
    QImage image(1280, 1024, QImage::Format_RGB32);
    window.render(&image);
    return image;
}
} // namespace

// Qt's high-DPI scaling of the host, per screen (DUMMY1 at 1.5, by name and
// by list) and for the whole program (2), changes nothing on the panel: the
// window lies exactly on DUMMY1 and the screen shows every pattern pixel for
// pixel as the unscaled window paints it.
TEST_F(CliOnXorg, ScaledHostsStillShowEveryPatternPixelForPixel)
{
    const std::pair<const char*, QImage> patterns[] = {
        {"-Qr", unscaled<DisplayPurityWindow>(2)},
        {"-Qc", unscaled<DisplayColorTransitionWindow>(0xFFFFFFFF)},
        {"-Qm", unscaled<DisplayMeshWindow>(0)},
        {"-Qs", unscaled<DisplayMemeWindow>(0xFFFFFFFF)},
    };
    // The host's environment, and the X resources it finds.
    const std::pair<QStringList, const char*> scalings[] = {
        {{"QT_SCREEN_SCALE_FACTORS=DUMMY0=1;DUMMY1=1.5"}, ""},
        {{"QT_SCREEN_SCALE_FACTORS=1;1.5"}, ""},
        {{"QT_SCALE_FACTOR=2"}, ""},
        // What Qt::AA_EnableHighDpiScaling in a host does, from the server's 144 dpi.
        {{"QT_AUTO_SCREEN_SCALE_FACTOR=1", "QT_SCALE_FACTOR_ROUNDING_POLICY=PassThrough"},
         "Xft.dpi: 144"},
    };
    for (const auto& [environment, resources] : scalings) {
        ASSERT_EQ(run(std::string("echo '") + resources + "' | xrdb -load -"), 0);
        for (const QString& assignment : environment)
            qputenv(assignment.section('=', 0, 0).toLatin1(),
                    assignment.section('=', 1).toLatin1());
        for (const auto& [test, image] : patterns) {
            if (environment.first().endsWith("1;1.5") && QByteArray(test) != "-Qm")
                continue; // the list gives the same factors as the names
            SCOPED_TRACE((environment.join(' ') + " " + test).toStdString());
            XWindowAttributes window{};
            long wrong = -1;
            const QJsonObject report =
                cli({"-Mdisplay", test, "dpy2", "--answers=continue,yes", "--set",
                     "CSAT.CSAT_TEST_TIMEOUT=4"},
                    [&, &image = image] {
                        for (int tries = 0; tries < 200 && wrong != 0; ++tries) {
                            if (!bypassingWindow(window) && window.width)
                                return;
                            if (window.x == 1920 && window.y == 0 && window.width == 1280 &&
                                window.height == 1024)
                                wrong = mismatches(window, [&](int x, int y) {
                                    return (unsigned long)(image.pixel(x, y) & 0xFFFFFF);
                                });
                            std::this_thread::sleep_for(std::chrono::milliseconds(100));
                        }
                    });
            EXPECT_EQ(std::make_tuple(window.x, window.y, window.width, window.height),
                      std::make_tuple(1920, 0, 1280, 1024));
            EXPECT_EQ(wrong, 0) << "pixels differing from the pattern";
            EXPECT_EQ(report.value("runs")[0]["resultName"].toString(), "Passed");
        }
        for (const QString& assignment : environment)
            qunsetenv(assignment.section('=', 0, 0).toLatin1());
    }
    run("xrdb -remove");
}
