// How a test window behaves around its painting: placement and flags, the
// ways it ends and the result each leaves, the debug lines of its run, and
// what happens when the host misbehaves while it is up.

#include "autotests/support/WindowSpy.h"
#include "module/SystemEventMask.h"
#include "widgets/DisplayColorTransitionWindow.h"
#include "widgets/DisplayMemeWindow.h"
#include "widgets/DisplayMeshWindow.h"
#include "widgets/DisplayPurityWindow.h"
#include "widgets/DisplayWidgetWrapper.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {
QStringList capturedLines;

void capture(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg)
        capturedLines << message;
}

// Collects the debug lines written while it lives.
struct DebugCapture
{
    QtMessageHandler previous;
    DebugCapture()
    {
        capturedLines.clear();
        previous = qInstallMessageHandler(capture);
    }
    ~DebugCapture() { qInstallMessageHandler(previous); }
};

using Window = DisplayMeshWindow;

std::unique_ptr<DisplayWidget> window(uint32_t timeoutSeconds, const uint32_t* word = nullptr)
{
    return std::make_unique<Window>(nullptr, nullptr, 10, 20, 64, 48, 0, word, timeoutSeconds);
}

// Runs the window's loop with an action queued inside it.
int execWith(DisplayWidget& w, std::function<void()> action)
{
    QTimer::singleShot(0, &w, std::move(action));
    return w.exec();
}

void pressKey(QWidget* w, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}
} // namespace

TEST(WindowBehaviour, ClassNamesFlagsAndPlacement)
{
    InputDialog dialog(nullptr, nullptr);
    EXPECT_STREQ(dialog.metaObject()->className(), "InputDialog");
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
    EXPECT_FALSE(dialog.testAttribute(Qt::WA_DeleteOnClose));

    const uint32_t word = 0;
    const std::unique_ptr<DisplayWidget> windows[] = {
        std::make_unique<DisplayWidget>(nullptr, nullptr, -5, 7, 30, 40, 0, nullptr, false, 0),
        std::make_unique<DisplayPurityWindow>(nullptr, nullptr, -5, 7, 30, 40, 0, &word, 1),
        std::make_unique<DisplayColorTransitionWindow>(nullptr, nullptr, -5, 7, 30, 40, 0, &word,
                                                       1),
        std::make_unique<DisplayMeshWindow>(nullptr, nullptr, -5, 7, 30, 40, 0, &word, 1),
        std::make_unique<DisplayMemeWindow>(nullptr, nullptr, -5, 7, 30, 40, 0, &word, 1),
    };
    const char* names[] = {"DisplayWidget", "DisplayWidget", "DisplayColorTransitionWindow",
                           "DisplayWidget", "DisplayWidget"};
    for (int i = 0; i < 5; ++i) {
        DisplayWidget& w = *windows[i];
        EXPECT_STREQ(w.metaObject()->className(), names[i]);
        EXPECT_EQ(int(w.windowFlags()), 0xC03);
        EXPECT_EQ(w.windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(w.geometry(), QRect(-5, 7, 30, 40));
        EXPECT_EQ(w.cursor().shape(), Qt::BlankCursor);
        EXPECT_EQ(w.focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(w.result(), int(Timeout));
        EXPECT_EQ(w.hasTimeout(), i > 0) << i;
        // The system-event poll runs once a second from construction on.
        const auto timers = w.findChildren<QTimer*>();
        ASSERT_EQ(timers.size(), i > 0 ? 1 : 0);
        if (i > 0) {
            EXPECT_EQ(timers[0]->interval(), 1000);
            EXPECT_TRUE(timers[0]->isActive());
        }
    }
    // The slots a host reaches by name.
    const QMetaObject* meta = &DisplayWidget::staticMetaObject;
    const int first = meta->methodOffset();
    EXPECT_EQ(meta->indexOfSlot("KeyPressed(int)"), first);
    EXPECT_EQ(meta->indexOfSlot("TimedOut()"), first + 1);
    EXPECT_EQ(meta->indexOfSlot("SystemEventCheck()"), first + 2);
}

TEST(WindowBehaviour, TimeoutIntervalWrapsAsA32BitProduct)
{
    // Seconds x 1000 modulo 2^32, read as signed: negative means no time-out.
    EXPECT_TRUE(window(5)->hasTimeout());
    EXPECT_FALSE(window(0xFFFFFFFFu)->hasTimeout()); // -1000 ms
    EXPECT_FALSE(window(2147484u)->hasTimeout());    // 2147484000 > INT_MAX
    EXPECT_TRUE(window(4294968u)->hasTimeout());     // wraps to 704 ms

    auto zero = window(0);
    DebugCapture lines;
    EXPECT_EQ(zero->exec(), int(Timeout));
    EXPECT_FALSE(zero->hasTimeout());
    EXPECT_EQ(capturedLines,
              (QStringList{"Before show: 1", "Before loop: 1", "After the event loop: 1"}));
}

TEST(WindowBehaviour, RunWritesItsDebugLinesAndReturnsTheResult)
{
    DebugCapture lines;
    DisplayWidgetWrapper<DisplayPurityWindow> wrapper;
    wrapper.width = 20;
    wrapper.height = 10;
    wrapper.mode = 2;
    WindowSpy spy;
    spy.onShown = [](DisplayWidget* w) {
        QMetaObject::invokeMethod(w, "KeyPressed", Q_ARG(int, 9));
    };
    wrapper.timeoutSeconds = 60;
    EXPECT_EQ(wrapper.run(nullptr, &spy), int(Escape));
    EXPECT_EQ(capturedLines, (QStringList{"exec filter installed", "Before show: 1",
                                          "Before loop: 1", "After the event loop: 2"}));
}

TEST(WindowBehaviour, EscapeEndsOtherKeysDoNot)
{
    auto w = window(60);
    EXPECT_EQ(execWith(*w,
                       [&] {
                           for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_A})
                               pressKey(w.get(), key);
                           QMetaObject::invokeMethod(w.get(), "KeyPressed", Q_ARG(int, 10));
                           EXPECT_TRUE(w->isVisible());
                           pressKey(w.get(), Qt::Key_Escape);
                       }),
              int(Escape));
    EXPECT_FALSE(w->hasTimeout());
}

TEST(WindowBehaviour, AcceptRejectAndCloseKeepTheResult)
{
    auto w = window(60);
    EXPECT_EQ(execWith(*w, [&] { w->close(); }), int(Timeout));
    auto accepted = window(60);
    EXPECT_EQ(execWith(*accepted,
                       [&] {
                           accepted->setResult(Escape);
                           accepted->accept();
                       }),
              int(Escape));
    auto rejected = window(60);
    EXPECT_EQ(execWith(*rejected, [&] { rejected->reject(); }), int(Timeout));
    auto done = window(60);
    EXPECT_EQ(execWith(*done, [&] { done->done(SystemEvent); }), int(SystemEvent));
}

TEST(WindowBehaviour, SystemEventPollEndsOnMaskedBitsOnly)
{
    for (int bit = 0; bit < 32; ++bit) {
        uint32_t word = 0;
        auto w = window(60, &word);
        word = 1u << bit;
        QMetaObject::invokeMethod(w.get(), "SystemEventCheck");
        const bool masked = (SystemEventMask >> bit) & 1;
        EXPECT_EQ(w->result(), masked ? int(SystemEvent) : int(Timeout)) << bit;
    }
    // For real: the poll fires by itself within about a second.
    uint32_t word = 0x100;
    auto w = window(60, &word);
    EXPECT_EQ(w->exec(), int(SystemEvent));
    // A window without a word cannot be ended by one.
    auto deaf = window(0);
    EXPECT_TRUE(deaf->findChildren<QTimer*>().isEmpty());
}

TEST(WindowBehaviour, HostMisbehaviourNeverCrashesOrLeavesAWindow)
{
    // The host destroys the parent widget while the window is up.
    auto* parent = new QWidget;
    DisplayWidgetWrapper<DisplayMeshWindow> wrapper;
    wrapper.width = 64;
    wrapper.height = 48;
    wrapper.timeoutSeconds = 60;
    WindowSpy spy;
    spy.onShown = [&parent](DisplayWidget*) {
        delete parent;
        parent = nullptr;
    };
    EXPECT_EQ(wrapper.run(parent, &spy), int(Timeout));
    EXPECT_EQ(parent, nullptr);

    // A system-event word that changes every millisecond.
    uint32_t word = 0;
    QTimer flicker;
    QObject::connect(&flicker, &QTimer::timeout, [&word] { word = word ? 0 : 0x5; });
    flicker.start(1);
    wrapper.systemEventWord = &word;
    wrapper.timeoutSeconds = 2;
    const int result = wrapper.run(nullptr, nullptr);
    EXPECT_TRUE(result == int(SystemEvent) || result == int(Timeout)) << result;

    // A result set by someone else still comes back as a window result.
    spy.onShown = [](DisplayWidget* w) { w->done(42); };
    wrapper.systemEventWord = nullptr;
    wrapper.timeoutSeconds = 60;
    EXPECT_EQ(wrapper.run(nullptr, &spy), int(Timeout));

    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<DisplayWidget*>(widget), nullptr);
}
