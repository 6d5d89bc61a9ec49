#pragma once

#include <QDialog>

#include <atomic>

class QLabel;
class QPushButton;

// A question of a running test: the display it is about, named in the dialog
// itself, the translated text, the answers and Stop. It shows on the screen
// the user is looking at and keeps off the display under test where another
// screen exists. ask() returns the answer code; Stop, Ctrl+Q and closing
// return 0. A verdict has no default button: Enter alone answers nothing.
class QuestionDialog : public QDialog
{
    Q_OBJECT

public:
    enum Kind { Confirmation, YesNo };

    QuestionDialog(Kind kind, const QString& title, const QString& display, const QString& text,
                   QWidget* parent = nullptr);

    // Moves the dialog to a screen that does not show underTest, preferring
    // the screen of near (the main window); stays on near's screen when every
    // screen shows the display under test.
    void placeAwayFrom(const QRect& underTest, const QWidget* near);

    // Shows the dialog without blocking the other windows (the main window's
    // Stop stays usable) and waits for an answer; ends with 0 as soon as
    // *stop is set. stop may be null.
    int ask(const std::atomic<bool>* stop);

    bool stopChosen() const { return m_stopChosen; }

private:
    bool m_stopChosen = false;
};
