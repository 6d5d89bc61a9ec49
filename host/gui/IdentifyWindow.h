#pragma once

#include <QWidget>

class DisplayEntry;

// A frameless box in the middle of one display that shows its number
// (dpy1, dpy2, ...) large, with its model and connector below, for a few
// seconds, so a person can tell which panel is which. A click closes it.
class IdentifyWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ShowMs = 4000;

    // Placed in the middle of the display's rectangle on the desktop; a
    // window of its own that dies with parent at the latest.
    IdentifyWindow(const DisplayEntry& display, const QRect& displayRect,
                   QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_number;
    QString m_detail;
};
