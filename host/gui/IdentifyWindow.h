#pragma once

#include <QVector>
#include <QWidget>

struct DisplayEntry;

// A frameless box in the middle of one display that shows its number
// (dpy1, dpy2, ...) large, with its model, connector and resolution below,
// for a few seconds, so a person can tell which panel is which. Displays
// that show the same picture (clones) share one box: "dpy2 = dpy3". A
// click closes it.
class IdentifyWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ShowMs = 4000;

    // Placed in the middle of the display's rectangle on the desktop; a
    // window of its own that dies with parent at the latest.
    IdentifyWindow(const QVector<DisplayEntry>& displays, const QRect& displayRect,
                   QWidget* parent = nullptr);

    // "dpy1", or "dpy2 = dpy3" for clones.
    QString number() const { return m_number; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_number;
    QString m_detail;
};
