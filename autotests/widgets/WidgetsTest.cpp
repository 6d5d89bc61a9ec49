// The test windows: the pixels each pattern paints, compared with its
// definition at the sizes real and odd displays have; flags and placement,
// the ways a window ends and the result each leaves, the debug lines of a
// run, the interactive window's turns and answers, and a misbehaving host.
// CTest runs it again with Qt's scaling at 1.5 and 2: every size and pixel
// here is a device pixel, as the panel counts them.

#include "autotests/support/PatternPixels.h"
#include "autotests/support/WindowSpy.h"
#include "module/SystemEventMask.h"
#include "widgets/DeviceGeometry.h"
#include "widgets/DisplayColorTransitionWindow.h"
#include "widgets/DisplayInteractiveWidget.h"
#include "widgets/DisplayMemeWindow.h"
#include "widgets/DisplayMeshWindow.h"
#include "widgets/DisplayPurityWindow.h"
#include "widgets/DisplayWidgetWrapper.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>

namespace {
const uint32_t Quiet = 0;
using namespace PatternPixels;
QStringList debugLines;

// A window at (-5, 7), 30x40.
template <typename T = DisplayMeshWindow, typename... More>
std::unique_ptr<T> window(uint32_t timeoutSeconds = 60, const uint32_t* word = &Quiet, More... more)
{
    return std::make_unique<T>(nullptr, nullptr, -5, 7, 30, 40, 0, word, timeoutSeconds, more...);
}

std::unique_ptr<DisplayInteractiveWidget> interactive(int digitCount = 3, int width = 1920)
{
    auto w = std::make_unique<DisplayInteractiveWidget>(nullptr, nullptr, 0, 0, width,
                                                        width * 9 / 16, 0, nullptr, 0, digitCount);
    w->show();
    return w;
}

QList<QPushButton*> buttons(DisplayInteractiveWidget& w)
{
    QApplication::processEvents(); // replace the buttons of the last turn
    return w.findChildren<QPushButton*>();
}

// The digit shown (0), one offered wrongly (1), one not offered at all (2).
int digit(DisplayInteractiveWidget& w, int kind)
{
    const auto& wrong = w.wrongChoices();
    for (int d = 0; d < 10 && kind == 2; ++d)
        if (d != w.targetDigit() && std::find(wrong.begin(), wrong.end(), d) == wrong.end())
            return d;
    return kind == 0 ? w.targetDigit() : wrong.front();
}

// Runs a window's loop with an action queued inside it.
int endWith(std::function<void(DisplayWidget&)> action)
{
    auto w = window();
    QTimer::singleShot(0, w.get(), [&w, action] { action(*w); });
    return w->exec();
}

// The device pixels a window paints, as its backing store holds them: into
// an image no pattern would leave, at the window's scale.
QImage devicePixels(QWidget& window, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.setDevicePixelRatio(window.devicePixelRatioF());
    image.fill(0xFF123456);
    window.render(&image);
    return image;
}

// The first full paint of a new window.
template <typename Window> QImage render(QSize size, uint32_t mode)
{
    Window window(nullptr, nullptr, 0, 0, size.width(), size.height(), mode, nullptr, 5);
    return devicePixels(window, size);
}

} // namespace

TEST(WindowBehaviour, FlagsPlacementAndTimers)
{
    EXPECT_STREQ(InputDialog(nullptr, nullptr).metaObject()->className(), "InputDialog");
    const std::pair<std::unique_ptr<DisplayWidget>, const char*> rows[] = {
        {window<DisplayPurityWindow>(1), "DisplayWidget"},
        {window<DisplayColorTransitionWindow>(1), "DisplayColorTransitionWindow"},
        {window<DisplayMeshWindow>(1), "DisplayWidget"},
        {window<DisplayMemeWindow>(1), "DisplayWidget"},
        {window<DisplayInteractiveWidget>(1, &Quiet, 3), "DisplayInteractiveWidget"},
    };
    for (const auto& [w, name] : rows) {
        // Only the interactive window shows the arrow and waits without a time-out.
        const bool isInteractive = qobject_cast<DisplayInteractiveWidget*>(w.get());
        EXPECT_STREQ(w->metaObject()->className(), name);
        EXPECT_TRUE(int(w->windowFlags()) == 0xC03 && w->windowModality() == Qt::ApplicationModal &&
                    w->focusPolicy() == Qt::NoFocus && !w->testAttribute(Qt::WA_DeleteOnClose) &&
                    w->result() == Timeout);
        EXPECT_EQ(w->deviceGeometry().deviceRect(), QRect(-5, 7, 30, 40));
        EXPECT_EQ(w->geometry(), w->deviceGeometry().logicalRect());
        EXPECT_EQ(w->cursor().shape(), isInteractive ? Qt::ArrowCursor : Qt::BlankCursor);
        EXPECT_EQ(w->hasTimeout(), !isInteractive) << name;
        // The system-event poll runs once a second from construction on.
        const auto timers = w->findChildren<QTimer*>();
        ASSERT_EQ(timers.size(), 1);
        EXPECT_TRUE(timers[0]->isActive() && timers[0]->interval() == 1000);
    }
    // Seconds x 1000 modulo 2^32, read as signed: negative means no time-out.
    EXPECT_FALSE(window(0xFFFFFFFFu)->hasTimeout());                    // -1000 ms
    EXPECT_FALSE(window(2147484u)->hasTimeout());                       // 2147484000 > INT_MAX
    EXPECT_TRUE(window(4294968u)->hasTimeout());                        // wraps to 704 ms
    EXPECT_TRUE(window(1, nullptr)->findChildren<QTimer*>().isEmpty()); // nothing to poll
}

TEST(WindowBehaviour, WaysToEndTheResultEachLeavesAndAMisbehavingHost)
{
    // Other keys do not end a window; Escape does.
    EXPECT_EQ(endWith([](DisplayWidget& w) {
                  QTest::keyClick(&w, Qt::Key_Return);
                  QTest::keyClick(&w, Qt::Key_Escape);
              }),
              int(Escape));
    EXPECT_EQ(endWith([](DisplayWidget& w) { w.close(); }), int(Timeout));
    EXPECT_EQ(endWith([](DisplayWidget& w) { w.reject(); }), int(Timeout));
    EXPECT_EQ(endWith([](DisplayWidget& w) { w.setResult(Escape), w.accept(); }), int(Escape));
    EXPECT_EQ(endWith([](DisplayWidget& w) { QMetaObject::invokeMethod(&w, "TimedOut"); }),
              int(Timeout));
    // Only the bits of the mask end a window; the poll also fires by itself.
    for (int bit = 0; bit < 32; ++bit) {
        uint32_t word = 0;
        auto w = window(60, &word);
        word = 1u << bit;
        QMetaObject::invokeMethod(w.get(), "SystemEventCheck");
        EXPECT_EQ(w->result(), (SystemEventMask >> bit) & 1 ? int(SystemEvent) : int(Timeout));
    }
    const uint32_t suspended = 0x100;
    EXPECT_EQ(window(60, &suspended)->exec(), int(SystemEvent));

    // A host's run writes these lines; key code 9 is Escape.
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& line) {
            if (type == QtDebugMsg)
                debugLines << line;
        });
    DisplayWidgetWrapper<DisplayPurityWindow> wrapper;
    wrapper.timeoutSeconds = 60;
    WindowSpy spy;
    spy.onShown = [](DisplayWidget* w) {
        QMetaObject::invokeMethod(w, "KeyPressed", Q_ARG(int, 9));
    };
    EXPECT_EQ(wrapper.run(nullptr, &spy), int(Escape));
    qInstallMessageHandler(previous);
    EXPECT_EQ(debugLines, (QStringList{"exec filter installed", "Before show: 1", "Before loop: 1",
                                       "After the event loop: 2"}));

    // A host that destroys the parent while the window is up, a system-event
    // word that changes every millisecond, a foreign result that goes back
    // as it is: no crash, no window left.
    auto* parent = new QWidget;
    spy.onShown = [&parent](DisplayWidget*) { delete parent, parent = nullptr; };
    EXPECT_EQ(wrapper.run(parent, &spy), int(Timeout));
    uint32_t word = 0;
    QTimer flicker;
    QObject::connect(&flicker, &QTimer::timeout, [&word] { word = word ? 0 : 0x5; });
    flicker.start(1);
    wrapper.systemEventWord = &word;
    wrapper.timeoutSeconds = 2;
    const int result = wrapper.run(nullptr, nullptr);
    EXPECT_TRUE(result == int(SystemEvent) || result == int(Timeout)) << result;
    spy.onShown = [](DisplayWidget* w) { w->done(42); };
    wrapper.systemEventWord = nullptr;
    wrapper.timeoutSeconds = 60;
    EXPECT_EQ(wrapper.run(nullptr, &spy), 42);
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<DisplayWidget*>(widget), nullptr);
}

TEST(WindowBehaviour, InteractiveLayoutTurnsAndAnswers)
{
    // Sizes in device pixels: exact unscaled, within one pixel at any scale.
    auto w = interactive();
    const qreal scale = w->devicePixelRatioF();
    const auto devicePx = [scale](int px) { return int(std::lround(px * scale)); };
    const int off = scale == 1 ? 0 : 1;
    const auto labels = w->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    EXPECT_NEAR(devicePx(labels[0]->font().pixelSize()), 490, off);
    EXPECT_NEAR(devicePx(labels[1]->font().pixelSize()), 32, off);
    EXPECT_EQ(labels[1]->text(), "DISPLAY_GENERAL_DISPLAY_INTERACTIVE_INSTRUCTIONS");
    for (QPushButton* b : buttons(*w)) {
        EXPECT_NEAR(devicePx(b->font().pixelSize()), 56, off);
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
    }
    EXPECT_EQ(std::make_pair(w->markerDiameter(), w->markerLeft()), std::make_pair(15, 938));
    // Grey markers turn red one by one with wrong answers.
    QImage image = devicePixels(*w, QSize(1920, 1080));
    EXPECT_EQ(image.pixel(5, 5), qRgb(219, 219, 219));
    EXPECT_EQ(image.pixel(945, 27), QColor(Qt::gray).rgb());
    QMetaObject::invokeMethod(w.get(), "interact_wrong");
    image = devicePixels(*w, QSize(1920, 1080));
    EXPECT_EQ(std::make_pair(image.pixel(945, 27), image.pixel(975, 27)),
              std::make_pair(QColor(Qt::red).rgb(), QColor(Qt::gray).rgb()));

    // Every turn shows the digit on exactly one of digitCount (1..9) buttons.
    for (int count : {-3, 0, 1, 3, 9, 12}) {
        for (int turn = 0; turn < 10; ++turn) {
            auto w = interactive(count, 200);
            std::multiset<int> shown, offered(w->wrongChoices().begin(), w->wrongChoices().end());
            for (QPushButton* b : buttons(*w))
                shown.insert(b->text().toInt());
            offered.insert(w->targetDigit());
            EXPECT_EQ(int(std::set<int>(shown.begin(), shown.end()).size()),
                      std::clamp(count, 1, 9));
            EXPECT_EQ(shown, offered);
            EXPECT_EQ(w->findChild<QLabel*>()->text(), QString::number(w->targetDigit()));
        }
    }
    EXPECT_EQ(interactive(3, 0)->markerDiameter(), 0);
    const int keypad[] = {90, 87, 88, 89, 83, 84, 85, 79, 80, 81};
    const int digitRow[] = {19, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    const auto code = [](const int* table) {
        return [table](DisplayInteractiveWidget& w, int kind) {
            QMetaObject::invokeMethod(&w, "keyPressed", Q_ARG(int, table[digit(w, kind)]));
        };
    };
    const auto type = [](Qt::KeyboardModifiers modifiers) {
        return [modifiers](DisplayInteractiveWidget& w, int kind) {
            QTest::keyClick(&w, Qt::Key(Qt::Key_0 + digit(w, kind)), modifiers);
        };
    };
    const auto click = [](DisplayInteractiveWidget& w, int kind) {
        const int d = digit(w, kind);
        for (QPushButton* b : buttons(w))
            if (b->text().toInt() == d)
                QTest::mouseClick(b, Qt::LeftButton);
    };
    const std::function<void(DisplayInteractiveWidget&, int)> ways[] = {
        click, code(keypad), code(digitRow), type(Qt::NoModifier), type(Qt::KeypadModifier)};
    for (const auto& give : ways) {
        // A digit not offered is ignored, a wrong one counted, two end with Wrong.
        auto w = interactive(), twice = interactive();
        give(*w, 2);
        give(*w, 1);
        EXPECT_TRUE(w->wrongCount() == 1 && w->isVisible());
        give(*w, 0);
        EXPECT_EQ(w->result(), int(Correct));
        give(*twice, 1);
        give(*twice, 1);
        EXPECT_TRUE(twice->result() == Wrong && !twice->isVisible());
    }
    // Typed text decides, not the key.
    w = interactive();
    QTest::sendKeyEvent(QTest::Press, w.get(), Qt::Key_F1, QString::number(w->targetDigit()), {});
    EXPECT_EQ(w->result(), int(Correct));
    // Pressed on a button and released beside it still answers.
    auto slipped = interactive();
    const auto list = buttons(*slipped);
    QPushButton* b = *std::find_if(list.begin(), list.end(), [&](QPushButton* x) {
        return x->text().toInt() == slipped->targetDigit();
    });
    QTest::mousePress(b, Qt::LeftButton);
    QMouseEvent away(QEvent::MouseMove, QPointF(-50, -50), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(b, &away);
    EXPECT_EQ(slipped->result(), int(Correct));
    auto escaped = interactive();
    QTest::keyClick(escaped.get(), Qt::Key_Escape);
    EXPECT_EQ(escaped->result(), int(Escape));
}

TEST(PatternPaint, EveryWindowPaintsItsFormulaAtEverySize)
{
    const QRgb background = QPalette().window().color().rgb();
    const struct
    {
        const char* name;
        std::function<QImage(QSize)> render;
        Pixel expected;
    } rows[] = {
        {"black", [](QSize s) { return render<DisplayPurityWindow>(s, 0); }, fill(Black)},
        {"white", [](QSize s) { return render<DisplayPurityWindow>(s, 1); }, fill(White)},
        {"red", [](QSize s) { return render<DisplayPurityWindow>(s, 2); }, fill(0xFFFF0000)},
        {"green", [](QSize s) { return render<DisplayPurityWindow>(s, 3); }, fill(0xFF00FF00)},
        {"blue", [](QSize s) { return render<DisplayPurityWindow>(s, 4); }, fill(0xFF0000FF)},
        {"no colour", [](QSize s) { return render<DisplayPurityWindow>(s, 5); }, fill(background)},
        {"ramps", [](QSize s) { return render<DisplayColorTransitionWindow>(s, 0); }, colourRamps},
        {"mesh", [](QSize s) { return render<DisplayMeshWindow>(s, 0); }, mesh},
        {"inverted mesh", [](QSize s) { return render<DisplayMeshWindow>(s, 1); }, invertedMesh},
        {"sharpness", [](QSize s) { return render<DisplayMemeWindow>(s, 0); }, sharpness},
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

// Qt scales a window's offset on its screen and its size by rounding each
// product; the mapping lands on the display's device pixels wherever some
// Qt length does, and otherwise covers them with one pixel to spare (the
// windows then place themselves natively where the platform allows).
TEST(DeviceGeometryMapping, QtsRoundingLandsOnTheDevicePixelsWhereverItCan)
{
    for (qreal scale : {1.0, 1.25, 1.5, 1.75, 2.0, 3.0}) {
        int wrong = 0;
        for (int n = 0; n <= 1200 && !wrong; ++n) {
            bool reachable = false;
            for (int k = 0; k <= n && !reachable; ++k)
                reachable = qRound(k * scale) == n;
            const QRect device(1920 + n, n, n, n);
            const DeviceGeometry geometry(device, QPoint(1920, 0), scale);
            const QRect back = geometry.toDevice(geometry.logicalRect());
            // Less than one Qt pixel more, never less.
            const int spare = back.width() - n;
            wrong = reachable ? back != device
                              : (spare < 1 || spare >= scale || back.x() - device.x() >= scale ||
                                 back.y() < device.y());
            EXPECT_EQ(wrong, 0) << "scale " << scale << " length " << n;
        }
    }
    // The screen's corner stays in device pixels; the display from the issue
    // (x 1500 to 2499, y 20 to 719 on a screen at 0, 0 scaled by 1.5).
    EXPECT_EQ(DeviceGeometry(QRect(1500, 20, 1000, 700), QPoint(0, 0), 1.5).logicalRect(),
              QRect(1000, 13, 667, 467));
    EXPECT_EQ(DeviceGeometry(QRect(1920, 0, 1280, 1024), QPoint(1920, 0), 2).logicalRect(),
              QRect(1920, 0, 640, 512));
}
