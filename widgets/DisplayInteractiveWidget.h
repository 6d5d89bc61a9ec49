#pragma once

#include "widgets/DisplayWidget.h"

#include <cstdint>
#include <random>
#include <vector>

class QHBoxLayout;
class QLabel;

// The window of the interactive test: it shows a large random digit and a row
// of answer buttons, one of which carries that digit. The right answer ends
// it with Correct; each wrong one lights a red marker and draws a new turn,
// and the second ends it with Wrong. It has no time-out.
class DisplayInteractiveWidget : public DisplayWidget
{
    Q_OBJECT

public:
    DisplayInteractiveWidget(QWidget* parent, QObject* eventFilter, int x, int y, int width,
                             int height, uint32_t mode, const uint32_t* systemEventWord,
                             uint32_t timeoutSeconds, int digitCount);
    ~DisplayInteractiveWidget() override;

    int targetDigit() const { return m_targetDigit; }
    const std::vector<int>& wrongChoices() const { return m_wrongChoices; }
    int digitCount() const { return m_digitCount; }
    int wrongCount() const { return m_wrongCount; }
    int fontPixelSize() const { return m_fontPixelSize; }
    int markerLeft() const { return m_markerLeft; }
    int markerDiameter() const { return m_markerDiameter; }
    QHBoxLayout* buttonRow() const { return m_buttonRow; }

public slots:
    void interact_correct();
    void interact_wrong();

protected slots:
    // A digit given as an X key code, keypad or main row.
    void keyPressed(int keycode);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void newTurn();
    void judge(int digit);
    bool isWrongChoice(int digit) const;
    // Shows the whole window, buttons and labels included, through its
    // device-pixel surface.
    void mirrorToSurface();

    std::vector<int> m_keypadKeycodes;
    std::vector<int> m_digitRowKeycodes;
    QHBoxLayout* m_buttonRow = nullptr;
    int m_digitCount;
    int m_targetDigit = 0;
    std::mt19937 m_engine;
    QLabel* m_digitLabel = nullptr;
    int m_fontPixelSize = 0;
    int m_markerLeft = 0;
    int m_markerDiameter = 0;
    int m_wrongCount = 0;
    std::vector<int> m_wrongChoices;
    int m_maxWrong = 2;
    bool m_mirroring = false;    // rendering into the surface's frame
    bool m_mirrorQueued = false; // a mirror waits for Qt's paint to finish
};
