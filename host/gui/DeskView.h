#pragma once

#include "host/gui/DisplayEntry.h"

#include <QWidget>

#include <vector>

// The desk as display settings draw it: each display a rectangle at its
// position and relative size with its number and name, the chosen ones
// highlighted and the one under test marked. Clicking a rectangle emits
// displayClicked. Displays whose rectangle is not known are laid out in a
// row after the others, at their resolution where that is known.
class DeskView : public QWidget
{
    Q_OBJECT

public:
    explicit DeskView(QWidget* parent = nullptr);

    void setDisplays(const std::vector<DisplayEntry>& displays);
    void setChosen(const std::vector<bool>& chosen);
    // -1: no test is running.
    void setRunning(int index);
    int running() const { return m_running; }

    // The widget rectangle display index is drawn in; empty when out of range.
    QRect displayRect(int index) const;

    QSize sizeHint() const override { return {420, 220}; }
    QSize minimumSizeHint() const override { return {200, 120}; }

signals:
    void displayClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutRects();

    std::vector<DisplayEntry> m_displays;
    std::vector<QRect> m_desk;   // desktop coordinates
    std::vector<QRectF> m_drawn; // widget coordinates
    std::vector<bool> m_chosen;
    int m_running = -1;
};
