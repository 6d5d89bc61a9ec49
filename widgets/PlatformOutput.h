#pragma once

#include <QRect>
#include <QString>

// The display backend's view of the output that shows a display's
// rectangle: where the compositor scales its windows, by how much, and how
// many device pixels the output has. Found among the displays the module
// handed out at its last refresh by the rectangle's top-left corner (the
// size may be in device or in scaled pixels); not found when none is there.
class PlatformOutput
{
public:
    static PlatformOutput at(const QRect& rect);

    bool found() const { return m_found; }
    QString connector() const { return m_connector; }
    double scale() const { return m_scale; } // 1 where the compositor does not scale
    QSize deviceSize() const { return m_deviceSize; }

private:
    bool m_found = false;
    QString m_connector;
    double m_scale = 1;
    QSize m_deviceSize;
};
