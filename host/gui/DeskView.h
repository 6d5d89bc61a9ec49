#pragma once

#include "host/gui/DisplayEntry.h"

#include <QVector>
#include <QWidget>

#include <vector>

// The desk as display settings draw it: each display a rectangle at its
// position and relative size with its number and name, the chosen ones
// highlighted, the selected one framed and the one under test marked.
// Displays that show the same picture (clones) share one rectangle
// labelled "2 = 3". Selecting (a click) and choosing (the check box in the
// corner, or a double click) are two gestures. Displays whose rectangle is
// not known are laid out in a row after the others.
class DeskView : public QWidget
{
    Q_OBJECT

public:
    explicit DeskView(QWidget* parent = nullptr);

    void setDisplays(const std::vector<DisplayEntry>& displays);
    void setChosen(const std::vector<bool>& chosen);
    void setSelected(int index);
    // -1: no test is running.
    void setRunning(int index);
    int running() const { return m_running; }

    // True when there is no display to draw: the picture says so.
    bool isEmpty() const { return m_displays.empty(); }

    // The widget rectangle display index is drawn in (shared by clones);
    // empty when out of range.
    QRect displayRect(int index) const;
    // The check box that chooses the display (and its clones).
    QRect checkRect(int index) const;
    // The displays drawn as one rectangle with display index, in list order.
    QVector<int> groupOf(int index) const;

    QSize sizeHint() const override { return {420, 220}; }
    QSize minimumSizeHint() const override { return {200, 120}; }

signals:
    void displaySelected(int index);
    // The displays of one rectangle are to be chosen (or unchosen) together.
    void choiceRequested(const QVector<int>& indices, bool chosen);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutRects();
    int groupAt(const QPoint& point) const;
    void toggleGroup(int group);

    std::vector<DisplayEntry> m_displays;
    std::vector<QVector<int>> m_groups; // display indices per rectangle
    std::vector<QRect> m_desk;          // desktop coordinates, per group
    std::vector<QRectF> m_drawn;        // widget coordinates, per group
    std::vector<bool> m_chosen;
    int m_selected = -1;
    int m_running = -1;
};
