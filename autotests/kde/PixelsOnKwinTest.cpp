// Every pattern window read back from KWin itself, pixel for pixel, on an
// output at fractional scales (where Qt 5 alone paints at 2 and the
// compositor resamples) and at 1 and 2 as a control, turned or not. Runs on
// Qt's Wayland platform inside the compositor of scripts/with-kwin.sh,
// started with KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1.

#include "KwinDesk.h"

#include "EdidSampleFile.h"

#include "autotests/support/PatternPixels.h"
#include "display/DisplayInterfaceComponentWindows.h"
#include "display/DisplayMode.h"
#include "widgets/DisplayColorTransitionWindow.h"
#include "widgets/DisplayInteractiveWidget.h"
#include "widgets/DisplayMemeWindow.h"
#include "widgets/DisplayMeshWindow.h"
#include "widgets/DisplayPurityWindow.h"
#include "widgets/ShownPixels.h"

#include <QCoreApplication>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <QTranslator>

#include <cmath>
#include <functional>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {
using namespace PatternPixels;

// The output's device pixels as KWin composes them, from ScreenShot2.
QImage captureScreen(const QString& output, QString* error)
{
    int fds[2];
    if (pipe(fds) != 0) {
        *error = QStringLiteral("no pipe");
        return {};
    }
    QByteArray data;
    std::thread reader([&data, fd = fds[0]]() {
        char chunk[65536];
        ssize_t n;
        while ((n = read(fd, chunk, sizeof(chunk))) > 0)
            data.append(chunk, int(n));
        close(fd);
    });
    QDBusInterface shots(QStringLiteral("org.kde.KWin"),
                         QStringLiteral("/org/kde/KWin/ScreenShot2"),
                         QStringLiteral("org.kde.KWin.ScreenShot2"));
    QVariantMap options;
    options.insert(QStringLiteral("native-resolution"), true);
    QDBusReply<QVariantMap> reply =
        shots.call(QStringLiteral("CaptureScreen"), output, options,
                   QVariant::fromValue(QDBusUnixFileDescriptor(fds[1])));
    close(fds[1]);
    reader.join();
    if (!reply.isValid()) {
        *error = reply.error().message();
        return {};
    }
    const QVariantMap info = reply.value();
    const int width = info.value(QStringLiteral("width")).toInt();
    const int height = info.value(QStringLiteral("height")).toInt();
    const int stride = info.value(QStringLiteral("stride")).toInt();
    const auto format = QImage::Format(info.value(QStringLiteral("format")).toInt());
    if (width <= 0 || height <= 0 || qint64(stride) * height > data.size()) {
        *error = QStringLiteral("a capture of %1 bytes for %2x%3")
                     .arg(data.size())
                     .arg(width)
                     .arg(height);
        return {};
    }
    return QImage(reinterpret_cast<const uchar*>(data.constData()), width, height, stride, format)
        .convertToFormat(QImage::Format_RGB32);
}

// "3 pixels differ, the first at 1,0: 808080 instead of ffffff"; empty when equal.
std::string difference(const QImage& shown, const QImage& expected)
{
    if (shown.size() != expected.size())
        return "captured " + std::to_string(shown.width()) + "x" + std::to_string(shown.height()) +
               ", expected " + std::to_string(expected.width()) + "x" +
               std::to_string(expected.height());
    qint64 count = 0;
    QString first;
    for (int y = 0; y < shown.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
        for (int x = 0; x < shown.width(); ++x)
            if ((a[x] & 0xffffff) != (b[x] & 0xffffff) && count++ == 0)
                first = QStringLiteral("%1,%2: %3 instead of %4")
                            .arg(x)
                            .arg(y)
                            .arg(a[x] & 0xffffff, 6, 16, QChar('0'))
                            .arg(b[x] & 0xffffff, 6, 16, QChar('0'));
    }
    return count ? std::to_string(count) + " pixels differ, the first at " + first.toStdString()
                 : std::string();
}

struct Pattern
{
    const char* name;
    std::function<std::unique_ptr<DisplayWidget>(const QRect&)> window;
    PatternPixels::Pixel expected;
};

template <typename Window> auto windowOf(uint32_t mode)
{
    return [mode](const QRect& r) -> std::unique_ptr<DisplayWidget> {
        return std::make_unique<Window>(nullptr, nullptr, r.x(), r.y(), r.width(), r.height(), mode,
                                        nullptr, 600);
    };
}

const Pattern Patterns[] = {
    {"black", windowOf<DisplayPurityWindow>(0), fill(Black)},
    {"white", windowOf<DisplayPurityWindow>(1), fill(White)},
    {"red", windowOf<DisplayPurityWindow>(2), fill(0xFFFF0000)},
    {"green", windowOf<DisplayPurityWindow>(3), fill(0xFF00FF00)},
    {"blue", windowOf<DisplayPurityWindow>(4), fill(0xFF0000FF)},
    {"transition", windowOf<DisplayColorTransitionWindow>(uint32_t(-1)), colourRamps},
    {"mesh", windowOf<DisplayMeshWindow>(0), mesh},
    {"inverted mesh", windowOf<DisplayMeshWindow>(1), invertedMesh},
    {"sharpness", windowOf<DisplayMemeWindow>(uint32_t(-1)), sharpness},
};

struct Setting
{
    const char* doctor; // how kscreen-doctor sets Virtual-1
    QSize device;       // the output's device pixels
    double scale;       // what the windows report, 1 where nothing scales
    const char* name;
};

class PixelsOnKwin : public KwinDesk, public ::testing::WithParamInterface<Setting>
{
protected:
    void SetUp() override
    {
        if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            GTEST_SKIP()
                << "Qt is not on Wayland (QT_QPA_PLATFORM=wayland under scripts/with-kwin.sh)";
        KwinDesk::SetUp();
    }

    // Sets Virtual-1 as the setting says, waits until Qt sees it so, and
    // gives its rectangle as the attended tests do: the monitor's corner, the
    // current mode's size. Empty when any step fails.
    QRect virtual1(const Setting& setting)
    {
        if (doctor(setting.doctor) != 0)
            return {};
        const QSize logical(int(std::lround(setting.device.width() / setting.scale)),
                            int(std::lround(setting.device.height() / setting.scale)));
        if (!screenOf(QStringLiteral("Virtual-1"), logical))
            return {};
        install(sysfsWithEdid("Virtual-1", Eizo));
        for (uint32_t i = 0; i < manager->componentCount(); ++i) {
            DisplayMode* mode = nullptr;
            if (display(i) && display(i)->monitorInfo().device == "Virtual-1" &&
                display(i)->currentMode(mode) == 0 && mode)
                return QRect(display(i)->monitorLeft(), display(i)->monitorTop(),
                             int(mode->width()), int(mode->height()));
        }
        return {};
    }

    // Captures Virtual-1 once the window says what it shows, until judge
    // finds nothing wrong or 8 s pass (the compositor shows a frame a moment
    // after it is committed, its screenshot effect loads after it starts,
    // and a capture is cancelled while the output is reconfigured). What was
    // last wrong, empty when nothing.
    static std::string judgeShown(const QWidget& window,
                                  const std::function<std::string(const QImage&)>& judge)
    {
        std::string wrong = "never shown";
        QElapsedTimer clock;
        clock.start();
        while (!wrong.empty() && clock.elapsed() < 8000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
            if (!window.property(ShownPixels::SizeProperty).isValid())
                continue;
            QString error;
            const QImage shown = captureScreen(QStringLiteral("Virtual-1"), &error);
            wrong = shown.isNull() ? "no capture: " + error.toStdString() : judge(shown);
        }
        return wrong;
    }

    // Waits until Qt's screen of the output has the size the compositor
    // gives it at the new scale.
    static QScreen* screenOf(const QString& name, QSize logical)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            for (QScreen* screen : QGuiApplication::screens())
                if (screen->name() == name && screen->geometry().size() == logical)
                    return screen;
        }
        return nullptr;
    }
};

TEST_P(PixelsOnKwin, EveryPatternReadsBackExactly)
{
    const Setting& setting = GetParam();
    const QRect rect = virtual1(setting);
    ASSERT_FALSE(rect.isEmpty()) << "Virtual-1 not set to " << setting.doctor;

    for (const Pattern& pattern : Patterns) {
        SCOPED_TRACE(pattern.name);
        std::unique_ptr<DisplayWidget> window = pattern.window(rect);
        window->show();
        const QImage expected = PatternPixels::image(setting.device, pattern.expected);
        EXPECT_EQ(
            judgeShown(*window, [&](const QImage& shown) { return difference(shown, expected); }),
            "");
        EXPECT_EQ(window->property(ShownPixels::SizeProperty).toSize(), setting.device);
        if (setting.scale != 1) {
            EXPECT_DOUBLE_EQ(window->property(ShownPixels::ScaleProperty).toDouble(),
                             setting.scale);
        }
        EXPECT_FALSE(window->property(ShownPixels::WarningProperty).isValid());
        window->done(0);
        window.reset();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    }
}

const Setting Settings[] = {
    {"output.Virtual-1.scale.1", {1920, 1080}, 1, "Scale1"},
    {"output.Virtual-1.scale.1.25", {1920, 1080}, 1.25, "Scale125"},
    {"output.Virtual-1.scale.1.5", {1920, 1080}, 1.5, "Scale150"},
    {"output.Virtual-1.scale.1.75", {1920, 1080}, 1.75, "Scale175"},
    {"output.Virtual-1.scale.2", {1920, 1080}, 2, "Scale2"},
    {"output.Virtual-1.rotation.left output.Virtual-1.scale.1.5",
     {1080, 1920},
     1.5,
     "TurnedLeftScale150"},
};

std::string nameOf(const ::testing::TestParamInfo<Setting>& info)
{
    return info.param.name;
}

// The interactive window too: its whole frame at the device size, the
// background exact in every corner and the first answer marker (grey, a
// disc of height/70 device pixels at y 20, centred) where the device
// pixels put it.
TEST_P(PixelsOnKwin, InteractiveWindowIsInDevicePixels)
{
    const Setting& setting = GetParam();
    const QRect rect = virtual1(setting);
    ASSERT_FALSE(rect.isEmpty()) << "Virtual-1 not set to " << setting.doctor;

    // The instruction in English, as a host shows it, wraps on a portrait output.
    QTranslator english;
    ASSERT_TRUE(english.load(qEnvironmentVariable("MODULE_DISPLAY_BINARY_DIR") +
                             "/translations/module_display_en.qm"));
    QCoreApplication::installTranslator(&english);
    DisplayInteractiveWidget window(nullptr, nullptr, rect.x(), rect.y(), rect.width(),
                                    rect.height(), uint32_t(-1), nullptr, 0, 3);
    window.show();
    const int w = setting.device.width();
    const int h = setting.device.height();
    const int diameter = int(std::round(h / 70.0f));
    const QPoint marker(w / 2 - (3 * diameter) / 2 + diameter / 2, 20 + diameter / 2);
    const QRgb background = qRgb(219, 219, 219);
    const QRgb grey = QColor(Qt::gray).rgb();
    EXPECT_EQ(judgeShown(window,
                         [&](const QImage& shown) {
                             if (shown.size() != setting.device)
                                 return "captured " + std::to_string(shown.width()) + "x" +
                                        std::to_string(shown.height());
                             std::string wrong;
                             for (const QPoint corner : {QPoint(2, 2), QPoint(w - 3, 2),
                                                         QPoint(2, h - 3), QPoint(w - 3, h - 3)})
                                 if (shown.pixel(corner) != background)
                                     wrong += "corner " + std::to_string(corner.x()) + "," +
                                              std::to_string(corner.y()) + " ";
                             if (shown.pixel(marker) != grey)
                                 wrong += "no marker at " + std::to_string(marker.x()) + "," +
                                          std::to_string(marker.y());
                             return wrong;
                         }),
              "");
    EXPECT_EQ(window.property(ShownPixels::SizeProperty).toSize(), setting.device)
        << "window " << window.width() << "x" << window.height();
    window.done(0);
}

INSTANTIATE_TEST_SUITE_P(Scales, PixelsOnKwin, ::testing::ValuesIn(Settings), nameOf);

// Where single pixels cannot be exact (an X11 window through the
// compositor's X server on a scaled output), the test still runs and the
// command-line host says so once on standard error and in the run's JSON;
// nothing is said where the output is not scaled.
TEST_F(KwinDesk, ResampledWindowsAreSaidBeforeTheyAreJudged)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "no X server in the compositor (KWIN_XWAYLAND=1 scripts/with-kwin.sh)";
    const char* warning =
        "dpy2: the compositor scales this window by 1.5; single pixels are not exact";
    const std::pair<const char*, QStringList> rows[] = {
        {"output.Virtual-1.scale.1", {}},
        {"output.Virtual-1.scale.1.5", {warning}},
    };
    for (const auto& [change, warnings] : rows) {
        SCOPED_TRACE(change);
        ASSERT_EQ(doctor(change), 0);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        QProcess cli;
        cli.setProcessEnvironment(environment);
        cli.start(qEnvironmentVariable("MODULE_DISPLAY_BINARY_DIR") + "/bin/OrvaneDiagnosticsCLI",
                  {"--json", "--platform=kde", "-Mdisplay", "-Qr", "dpy2", "--answers=continue,yes",
                   "--set", "CSAT.CSAT_TEST_TIMEOUT=3"});
        ASSERT_TRUE(cli.waitForFinished(60000));
        const QJsonObject run = QJsonDocument::fromJson(cli.readAllStandardOutput())
                                    .object()["runs"]
                                    .toArray()
                                    .at(0)
                                    .toObject();
        const QString errors = QString::fromLocal8Bit(cli.readAllStandardError());
        EXPECT_EQ(run["result"].toInt(-1), 0) << errors.toStdString();
        QStringList said;
        for (const QJsonValue value : run["warnings"].toArray())
            said << value.toString();
        EXPECT_EQ(said, warnings);
        EXPECT_EQ(errors.count("warning: dpy2: the compositor scales"), warnings.size())
            << errors.toStdString();
    }
}
} // namespace
