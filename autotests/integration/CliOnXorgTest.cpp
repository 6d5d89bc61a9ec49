#include "EdidSampleFile.h"
#include "XServerSetup.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

// After gtest and Qt: Xlib's macros collide with their names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#ifdef HAVE_XFIXES
#include <X11/extensions/Xfixes.h>
#endif

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace {

const std::string Eizo = "Digital/Eizo/ENC2291/F367AC7049CD"; // 1920x1080
const std::string BenQ = "Digital/BenQ/BNQ76BE/82ED11E364D3"; // 1280x1024
const std::string Dell = "Digital/Dell/DEL4237/BAFBF2EF0A62"; // 2560x1440

using Properties = std::vector<std::pair<std::string, std::string>>;

struct Rectangle
{
    int x, y, width, height;
    bool operator==(const Rectangle& other) const
    {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
};

// The command-line host on the dummy Xorg, as a user would run it.
class CliOnXorg : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!setup.isOpen())
            GTEST_SKIP() << "no X server (run through scripts/integration.sh)";
        setup.twoOutputs();
        ASSERT_TRUE(setup.setProperty("DUMMY0", "EDID", EdidSampleFile::bySource(Eizo).full));
        ASSERT_TRUE(setup.setProperty("DUMMY1", "EDID", EdidSampleFile::bySource(BenQ).full));
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
    }
    void TearDown() override
    {
        if (display)
            XCloseDisplay(display);
        if (setup.isOpen())
            setup.twoOutputs();
    }

    static QString cliPath()
    {
        return QString::fromLocal8Bit(std::getenv("MODULE_DISPLAY_BINARY_DIR")) +
               "/bin/OrvaneDiagnosticsCLI";
    }
    // Starts the host with the X11 backend; attended tests need real windows.
    static void start(QProcess& process, const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        process.setProcessEnvironment(environment);
        process.start(cliPath(), QStringList{"--platform=x11", "--json"} + arguments);
        ASSERT_TRUE(process.waitForStarted()) << cliPath().toStdString();
    }
    static QJsonObject finish(QProcess& process, int expectedStatus = 0)
    {
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), expectedStatus)
            << process.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    }
    static QJsonObject cli(const QStringList& arguments, int expectedStatus = 0)
    {
        QProcess process;
        start(process, arguments);
        return finish(process, expectedStatus);
    }

    static Properties propertiesOf(const QJsonValue& device)
    {
        Properties properties;
        for (const QJsonValue property : device.toObject().value("properties").toArray())
            properties.emplace_back(
                property.toObject().value("key").toString().toLatin1().toStdString(),
                property.toObject().value("value").toString().toLatin1().toStdString());
        return properties;
    }
    static Properties expected(const std::string& id, const std::string& resolution,
                               const std::string& source)
    {
        Properties properties{{"UDI", id},
                              {"DISPLAY_INDEX", id.substr(id.size() - 1)},
                              {"CURRENT_RESOLUTION", resolution}};
        for (const auto& property : EdidSampleFile::bySource(source).properties)
            properties.push_back(property);
        return properties;
    }
    static std::vector<std::string> messagesOf(const QJsonObject& result)
    {
        std::vector<std::string> messages;
        for (const QJsonValue run : result.value("runs").toArray())
            for (const QJsonValue message : run.toObject().value("messages").toArray())
                messages.push_back(message.toString().toStdString());
        return messages;
    }

    // The mapped window that bypasses the window manager, with its place on
    // the root window; none (width 0) when there is none.
    Rectangle bypassingWindow(Window* found = nullptr)
    {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        Rectangle rectangle{0, 0, 0, 0};
        if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
            return rectangle;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(display, children[i], &attributes) ||
                attributes.map_state != IsViewable || !attributes.override_redirect)
                continue;
            rectangle = {attributes.x, attributes.y, attributes.width, attributes.height};
            if (found)
                *found = children[i];
        }
        if (children)
            XFree(children);
        return rectangle;
    }
    // Pixels of the root window (what the screen shows) in a rectangle that
    // differ from the pattern; -1 when the screenshot fails.
    long mismatches(const Rectangle& area, const std::function<unsigned long(int, int)>& pattern)
    {
        XImage* image = XGetImage(display, DefaultRootWindow(display), area.x, area.y,
                                  unsigned(area.width), unsigned(area.height), AllPlanes, ZPixmap);
        if (!image)
            return -1;
        long wrong = 0;
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x)
                if ((XGetPixel(image, x, y) & 0xFFFFFF) != pattern(x, y))
                    ++wrong;
        XDestroyImage(image);
        return wrong;
    }
    // Waits for the test window and checks it against the pattern while it is
    // up: placed exactly on the output, bypassing the window manager, pointer
    // hidden, every pixel as painted.
    void checkWindow(const Rectangle& output, const std::function<unsigned long(int, int)>& pattern)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        Rectangle window{0, 0, 0, 0};
        long wrong = -1;
        Window id = 0;
        bool seen = false;
        while (std::chrono::steady_clock::now() < deadline) {
            const Rectangle current = bypassingWindow(&id);
            if (current.width == 0 && seen)
                break; // closed before it showed the pattern
            if (current.width != 0) {
                seen = true;
                window = current;
                // Painting follows mapping; look again until the picture settles.
                if (window == output && (wrong = mismatches(output, pattern)) == 0)
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ASSERT_TRUE(seen) << "no window bypassing the window manager appeared";
        EXPECT_EQ(window.x, output.x);
        EXPECT_EQ(window.y, output.y);
        EXPECT_EQ(window.width, output.width);
        EXPECT_EQ(window.height, output.height);
        EXPECT_EQ(wrong, 0) << "pixels differing from the pattern";
#ifdef HAVE_XFIXES
        int eventBase = 0;
        int errorBase = 0;
        if (id && XFixesQueryExtension(display, &eventBase, &errorBase)) {
            XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0,
                         output.x + output.width / 2, output.y + output.height / 2);
            XSync(display, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (XFixesCursorImage* cursor = XFixesGetCursorImage(display)) {
                bool visible = false;
                for (int i = 0; i < cursor->width * cursor->height; ++i)
                    visible = visible || (cursor->pixels[i] >> 24) != 0;
                EXPECT_FALSE(visible) << "the pointer shows over the test window";
                XFree(cursor);
            }
        }
#endif
    }

    XServerSetup setup;
    Display* display = nullptr;
};

} // namespace

TEST_F(CliOnXorg, ListsTwoOutputsAsDpy1AndDpy2)
{
    const QJsonArray devices = cli({"--list"}).value("devices").toArray();
    ASSERT_EQ(devices.size(), 2);
    EXPECT_EQ(devices[0].toObject().value("id").toString(), "dpy1");
    EXPECT_EQ(propertiesOf(devices[0]), expected("dpy1", "1920x1080", Eizo));
    EXPECT_EQ(devices[1].toObject().value("id").toString(), "dpy2");
    EXPECT_EQ(propertiesOf(devices[1]), expected("dpy2", "1280x1024", BenQ));
}

TEST_F(CliOnXorg, ADisabledOutputGivesNoDeviceAndUsesNoNumber)
{
    XServerSetup::run("xrandr --addmode DUMMY2 1280x1024");
    ASSERT_EQ(XServerSetup::run("xrandr --output DUMMY1 --off --output DUMMY2 --mode 1280x1024 "
                                "--pos 1920x0"),
              0);
    XServerSetup::probe();
    ASSERT_TRUE(setup.setProperty("DUMMY2", "EDID", EdidSampleFile::bySource(Dell).full));
    const QJsonArray devices = cli({"--list"}).value("devices").toArray();
    ASSERT_EQ(devices.size(), 2);
    EXPECT_EQ(propertiesOf(devices[1]), expected("dpy2", "1280x1024", Dell));
}

TEST_F(CliOnXorg, ResolutionFittingGivesBothConclusions)
{
    ASSERT_TRUE(setup.setProperty("DUMMY1", "EDID", EdidSampleFile::bySource(Dell).full));
    EXPECT_EQ(messagesOf(cli({"-Mdisplay", "-Qf", "dpy2"})),
              std::vector<std::string>{
                  "YOUR_SYSTEM_CAN'T_REACH_THE_MAXIMUM_RESOLUTION_OF_YOUR_DISPLAY."});
    XServerSetup::run("xrandr --newmode md-1440 241.50 2560 2608 2640 2720 1440 1443 1448 1481");
    ASSERT_EQ(XServerSetup::run("xrandr --addmode DUMMY1 md-1440"), 0);
    EXPECT_EQ(messagesOf(cli({"-Mdisplay", "-Qf", "dpy2"})),
              std::vector<std::string>{
                  "YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION."});
    XServerSetup::run("xrandr --delmode DUMMY1 md-1440");
    XServerSetup::run("xrandr --rmmode md-1440");
}

TEST_F(CliOnXorg, RedPurityWindowCoversTheOutputInRed)
{
    QProcess process;
    start(process, {"-Mdisplay", "-Qr", "dpy2", "--answers=continue,yes", "--set",
                    "CSAT.CSAT_TEST_TIMEOUT=4"});
    checkWindow({1920, 0, 1280, 1024}, [](int, int) { return 0xFF0000ul; });
    const QJsonObject result = finish(process);
    EXPECT_EQ(result.value("runs").toArray()[0].toObject().value("resultName").toString(),
              "Passed");
}

TEST_F(CliOnXorg, MeshWindowsShowTheirDotsPixelForPixel)
{
    struct Row
    {
        const char* test;
        bool topRowBlack;
    };
    for (const Row& row : {Row{"-Qm", false}, Row{"-Qi", true}}) {
        SCOPED_TRACE(row.test);
        QProcess process;
        start(process, {"-Mdisplay", row.test, "dpy2", "--answers=continue,yes", "--set",
                        "CSAT.CSAT_TEST_TIMEOUT=4"});
        const bool topRowBlack = row.topRowBlack;
        checkWindow({1920, 0, 1280, 1024}, [topRowBlack](int x, int y) {
            if (topRowBlack && y == 0)
                return 0ul;
            return (x + y) % 2 == 0 ? 0xFFFFFFul : 0ul;
        });
        finish(process);
    }
}
