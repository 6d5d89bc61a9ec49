// The digit-picking window: its layout figures, the turns it draws, and the
// answers it takes from clicks, typed digits and X key codes.

#include "widgets/DisplayInteractiveWidget.h"
#include "widgets/WindowResult.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

namespace {
std::unique_ptr<DisplayInteractiveWidget> interactive(int digitCount = 3, int width = 1920,
                                                      int height = 1080)
{
    auto w = std::make_unique<DisplayInteractiveWidget>(nullptr, nullptr, 0, 0, width, height,
                                                        0xFFFFFFFF, nullptr, 0, digitCount);
    w->show();
    QApplication::processEvents();
    return w;
}

std::vector<QPushButton*> buttons(DisplayInteractiveWidget& w)
{
    QApplication::processEvents(); // lay out the buttons of a new turn
    std::vector<QPushButton*> list;
    for (int i = 0; i < w.buttonRow()->count(); ++i)
        list.push_back(qobject_cast<QPushButton*>(w.buttonRow()->itemAt(i)->widget()));
    return list;
}

QPushButton* button(DisplayInteractiveWidget& w, bool right)
{
    for (QPushButton* b : buttons(w))
        if ((b->text().toInt() == w.targetDigit()) == right)
            return b;
    return nullptr;
}

int wrongDigit(DisplayInteractiveWidget& w)
{
    return w.wrongChoices().front();
}

int absentDigit(DisplayInteractiveWidget& w)
{
    for (int d = 0; d < 10; ++d)
        if (d != w.targetDigit() && std::find(w.wrongChoices().begin(), w.wrongChoices().end(),
                                              d) == w.wrongChoices().end())
            return d;
    return -1;
}

const int KeypadCodes[] = {90, 87, 88, 89, 83, 84, 85, 79, 80, 81};
const int RowCodes[] = {19, 10, 11, 12, 13, 14, 15, 16, 17, 18};
} // namespace

TEST(InteractiveWidget, LayoutFiguresOnAFullHdDisplay)
{
    auto w = interactive();
    EXPECT_STREQ(w->metaObject()->className(), "DisplayInteractiveWidget");
    EXPECT_EQ(w->markerDiameter(), 15);
    EXPECT_EQ(w->markerLeft(), 938);
    EXPECT_EQ(w->fontPixelSize(), 490);
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(w->hasTimeout());
    const auto labels = w->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    EXPECT_EQ(labels[0]->font().pixelSize(), 490);
    EXPECT_EQ(labels[1]->text(), "DISPLAY_GENERAL_DISPLAY_INTERACTIVE_INSTRUCTIONS");
    EXPECT_EQ(labels[1]->font().pixelSize(), 32);
    for (QPushButton* b : buttons(*w)) {
        EXPECT_EQ(b->styleSheet(), ".QPushButton{font-size: 56px;}");
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
    }
    // The slots a host reaches by name, in their order.
    const QMetaObject* meta = w->metaObject();
    EXPECT_EQ(meta->indexOfSlot("interact_correct()"), meta->methodOffset());
    EXPECT_EQ(meta->indexOfSlot("interact_wrong()"), meta->methodOffset() + 1);
    EXPECT_EQ(meta->indexOfSlot("keyPressed(int)"), meta->methodOffset() + 2);
}

TEST(InteractiveWidget, EveryTurnShowsTheTargetOnExactlyOneButton)
{
    for (int count : {-3, 0, 1, 3, 9, 12}) {
        auto w = interactive(count, 200, 100);
        const int expected = std::clamp(count, 1, 9);
        for (int turn = 0; turn < 30; ++turn) {
            std::multiset<int> shown;
            for (QPushButton* b : buttons(*w))
                shown.insert(b->text().toInt());
            EXPECT_EQ(int(shown.size()), expected) << count;
            EXPECT_EQ(std::set<int>(shown.begin(), shown.end()).size(), shown.size()) << count;
            EXPECT_EQ(shown.count(w->targetDigit()), 1u);
            EXPECT_EQ(w->findChild<QLabel*>()->text(), QString::number(w->targetDigit()));
            std::multiset<int> wrong(w->wrongChoices().begin(), w->wrongChoices().end());
            wrong.insert(w->targetDigit());
            EXPECT_EQ(wrong, shown);
            // A fresh window for the next turn keeps the wrong count at 0.
            w = interactive(count, 200, 100);
        }
    }
}

TEST(InteractiveWidget, ClicksAreJudgedOnRelease)
{
    auto right = interactive();
    QTest::mouseClick(button(*right, true), Qt::LeftButton);
    EXPECT_EQ(right->result(), int(Correct));

    auto second = interactive();
    QTest::mouseClick(button(*second, false), Qt::LeftButton);
    EXPECT_EQ(second->wrongCount(), 1);
    EXPECT_TRUE(second->isVisible());
    QTest::mouseClick(button(*second, true), Qt::LeftButton);
    EXPECT_EQ(second->result(), int(Correct));

    auto twice = interactive();
    QTest::mouseClick(button(*twice, false), Qt::LeftButton);
    QTest::mouseClick(button(*twice, false), Qt::LeftButton);
    EXPECT_EQ(twice->result(), int(Wrong));
    EXPECT_FALSE(twice->isVisible());

    // Pressed on a button and released beside it still answers.
    auto slipped = interactive();
    QPushButton* b = button(*slipped, true);
    QTest::mousePress(b, Qt::LeftButton);
    QMouseEvent away(QEvent::MouseMove, QPointF(-50, -50), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(b, &away);
    EXPECT_EQ(slipped->result(), int(Correct));
}

TEST(InteractiveWidget, TypedDigitsAreJudgedByTheirText)
{
    for (Qt::KeyboardModifiers keypad : {Qt::NoModifier, Qt::KeypadModifier}) {
        auto w = interactive();
        const char target = char('0' + w->targetDigit());
        QTest::keyClick(w.get(), Qt::Key_A, Qt::NoModifier);
        QTest::keyClick(w.get(), Qt::Key_Return);
        QTest::keyClick(w.get(), Qt::Key(Qt::Key_0 + absentDigit(*w)), keypad);
        EXPECT_EQ(w->wrongCount(), 0);
        QTest::keyClick(w.get(), Qt::Key(Qt::Key_0 + wrongDigit(*w)), keypad);
        EXPECT_EQ(w->wrongCount(), 1);
        EXPECT_EQ(w->result(), int(Timeout));
        QTest::sendKeyEvent(QTest::Press, w.get(), Qt::Key(Qt::Key_0 + w->targetDigit()),
                            QString(QChar::fromLatin1(char('0' + w->targetDigit()))), keypad);
        EXPECT_EQ(w->result(), int(Correct)) << target;
    }
    auto escaped = interactive();
    QTest::keyClick(escaped.get(), Qt::Key_Escape);
    EXPECT_EQ(escaped->result(), int(Escape));
}

TEST(InteractiveWidget, KeyCodesOfBothDigitTables)
{
    for (const int* table : {KeypadCodes, RowCodes}) {
        auto w = interactive();
        QMetaObject::invokeMethod(w.get(), "keyPressed", Q_ARG(int, table[absentDigit(*w)]));
        QMetaObject::invokeMethod(w.get(), "keyPressed", Q_ARG(int, 100));
        EXPECT_EQ(w->wrongCount(), 0);
        QMetaObject::invokeMethod(w.get(), "keyPressed", Q_ARG(int, table[wrongDigit(*w)]));
        EXPECT_EQ(w->wrongCount(), 1);
        QMetaObject::invokeMethod(w.get(), "keyPressed", Q_ARG(int, table[w->targetDigit()]));
        EXPECT_EQ(w->result(), int(Correct));
    }
    auto escaped = interactive();
    QMetaObject::invokeMethod(escaped.get(), "keyPressed", Q_ARG(int, 9));
    EXPECT_EQ(escaped->result(), int(Escape));
    auto wrongs = interactive();
    QMetaObject::invokeMethod(wrongs.get(), "interact_wrong");
    QMetaObject::invokeMethod(wrongs.get(), "interact_wrong");
    EXPECT_EQ(wrongs->result(), int(Wrong));
}

TEST(InteractiveWidget, MarkersTurnRedWithWrongAnswers)
{
    auto w = interactive();
    auto markerColours = [&w] {
        QImage image(w->size(), QImage::Format_RGB32);
        w->render(&image);
        const int centre = 20 + 15 / 2;
        return std::make_pair(image.pixel(938 + 7, centre), image.pixel(938 + 30 + 7, centre));
    };
    const QRgb grey = QColor(Qt::gray).rgb();
    const QRgb red = QColor(Qt::red).rgb();
    EXPECT_EQ(markerColours(), std::make_pair(grey, grey));
    QMetaObject::invokeMethod(w.get(), "interact_wrong");
    EXPECT_EQ(markerColours(), std::make_pair(red, grey));
    QImage image(w->size(), QImage::Format_RGB32);
    w->render(&image);
    EXPECT_EQ(image.pixel(5, 5), qRgb(219, 219, 219));
}

TEST(InteractiveWidget, WindowWithoutSizeStillWorks)
{
    auto w = interactive(3, 0, 0);
    EXPECT_EQ(w->markerDiameter(), 0);
    QMetaObject::invokeMethod(w.get(), "interact_correct");
    EXPECT_EQ(w->result(), int(Correct));
}
