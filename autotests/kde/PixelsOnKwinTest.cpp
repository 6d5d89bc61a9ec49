// Every pattern window read back from KWin itself, pixel for pixel, on an
// output at fractional scales (where Qt 5 alone paints at 2 and the
// compositor resamples) and at 1 and 2 as a control, turned or not. Runs on
// Qt's Wayland platform inside the compositor of scripts/with-kwin.sh,
// started with KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1.

#include "KwinDesk.h"

#include "EdidSampleFile.h"

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

// The expected patterns at the device size, written from their description.
QImage purity(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QImage mesh(QSize size, bool variant)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           (x + y) % 2 == 0 && !(variant && y == 0) ? 0xffffffff : 0xff000000);
    return image;
}

QImage transition(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    const int w = size.width();
    const int gap = int(std::floor(size.height() * 0.1f));
    const int band = (size.height() - 5 * gap) / 4;
    for (int b = 0; b < 4; ++b) {
        const int top = gap + b * (gap + band);
        for (int i = 0; i < 32; ++i) {
            const int v = 8 * (i + 1) - 1;
            const QRgb rgb =
                qRgb(b == 0 || b == 3 ? v : 0, b == 1 || b == 3 ? v : 0, b == 2 || b == 3 ? v : 0);
            const int left = int(float(w * i) * 0.03125f) - 1;
            for (int y = top; y < top + band; ++y)
                for (int x = std::max(0, left); x < std::min(w, left + w / 32 + 1); ++x)
                    image.setPixel(x, y, rgb);
        }
    }
    return image;
}

QImage sharpness(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int x = 0; x < size.width(); x += DisplayMemeWindow::TileSize)
        for (int y = 0; y < size.height(); y += DisplayMemeWindow::TileSize)
            for (int d = 0; d < DisplayMemeWindow::TileDots; ++d) {
                const QPoint dot = DisplayMemeWindow::tile()[d] + QPoint(x, y);
                if (image.rect().contains(dot))
                    image.setPixel(dot, 0xff000000);
            }
    return image;
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
    std::function<QImage(QSize)> expected;
};

template <typename Window> auto windowOf(uint32_t mode)
{
    return [mode](const QRect& r) -> std::unique_ptr<DisplayWidget> {
        return std::make_unique<Window>(nullptr, nullptr, r.x(), r.y(), r.width(), r.height(), mode,
                                        nullptr, 600);
    };
}

const Pattern Patterns[] = {
    {"black", windowOf<DisplayPurityWindow>(0), [](QSize s) { return purity(s, Qt::black); }},
    {"white", windowOf<DisplayPurityWindow>(1), [](QSize s) { return purity(s, Qt::white); }},
    {"red", windowOf<DisplayPurityWindow>(2), [](QSize s) { return purity(s, Qt::red); }},
    {"green", windowOf<DisplayPurityWindow>(3), [](QSize s) { return purity(s, Qt::green); }},
    {"blue", windowOf<DisplayPurityWindow>(4), [](QSize s) { return purity(s, Qt::blue); }},
    {"transition", windowOf<DisplayColorTransitionWindow>(uint32_t(-1)), transition},
    {"mesh", windowOf<DisplayMeshWindow>(0), [](QSize s) { return mesh(s, false); }},
    {"inverted mesh", windowOf<DisplayMeshWindow>(1), [](QSize s) { return mesh(s, true); }},
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

    // Virtual-1's rectangle as the attended tests give it: the monitor's
    // corner, the current mode's size.
    QRect rectOfVirtual1()
    {
        for (uint32_t i = 0; i < manager->componentCount(); ++i) {
            DisplayMode* mode = nullptr;
            if (display(i) && display(i)->monitorInfo().device == "Virtual-1" &&
                display(i)->currentMode(mode) == 0 && mode)
                return QRect(display(i)->monitorLeft(), display(i)->monitorTop(),
                             int(mode->width()), int(mode->height()));
        }
        return {};
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
    ASSERT_EQ(doctor(setting.doctor), 0);
    const QSize logical(int(std::lround(setting.device.width() / setting.scale)),
                        int(std::lround(setting.device.height() / setting.scale)));
    ASSERT_TRUE(screenOf(QStringLiteral("Virtual-1"), logical))
        << "Qt never saw Virtual-1 at " << logical.width() << "x" << logical.height();
    install(sysfsWithEdid("Virtual-1", Eizo));
    const QRect rect = rectOfVirtual1();
    ASSERT_FALSE(rect.isEmpty()) << "no display on Virtual-1";

    for (const Pattern& pattern : Patterns) {
        SCOPED_TRACE(pattern.name);
        std::unique_ptr<DisplayWidget> window = pattern.window(rect);
        window->show();
        const QImage expected = pattern.expected(setting.device);
        // The compositor shows the frame a moment after it is committed.
        std::string differs = "never shown";
        QElapsedTimer clock;
        clock.start();
        while (!differs.empty() && clock.elapsed() < 8000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
            if (!window->property(ShownPixels::SizeProperty).isValid())
                continue;
            // The screenshot effect loads after the compositor starts, and a
            // capture is cancelled while the output is reconfigured.
            QString error;
            const QImage shown = captureScreen(QStringLiteral("Virtual-1"), &error);
            differs =
                shown.isNull() ? "no capture: " + error.toStdString() : difference(shown, expected);
        }
        EXPECT_EQ(differs, "");
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
    ASSERT_EQ(doctor(setting.doctor), 0);
    const QSize logical(int(std::lround(setting.device.width() / setting.scale)),
                        int(std::lround(setting.device.height() / setting.scale)));
    ASSERT_TRUE(screenOf(QStringLiteral("Virtual-1"), logical));
    install(sysfsWithEdid("Virtual-1", Eizo));
    const QRect rect = rectOfVirtual1();
    ASSERT_FALSE(rect.isEmpty());

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
    std::string seen = "never shown";
    QElapsedTimer clock;
    clock.start();
    while (!seen.empty() && clock.elapsed() < 8000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        if (!window.property(ShownPixels::SizeProperty).isValid())
            continue;
        QString error;
        const QImage shown = captureScreen(QStringLiteral("Virtual-1"), &error);
        if (shown.size() != setting.device) {
            seen =
                "captured " + std::to_string(shown.width()) + "x" + std::to_string(shown.height());
            continue;
        }
        seen.clear();
        for (const QPoint corner :
             {QPoint(2, 2), QPoint(w - 3, 2), QPoint(2, h - 3), QPoint(w - 3, h - 3)})
            if (shown.pixel(corner) != background)
                seen +=
                    "corner " + std::to_string(corner.x()) + "," + std::to_string(corner.y()) + " ";
        if (shown.pixel(marker) != grey)
            seen += "no marker at " + std::to_string(marker.x()) + "," + std::to_string(marker.y());
    }
    EXPECT_EQ(seen, "");
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
