#pragma once

#include "widgets/DeviceGeometry.h"
#include "widgets/InputDialog.h"

#include <QString>

#include <cstdint>
#include <memory>

class DevicePixelSurface;
class QTimer;

// A frameless window that covers one display's rectangle (in device pixels,
// whatever Qt's high-DPI scaling) with the pointer hidden. It ends on its time-out, on Escape, or
// when the host's system-event word reports an event that could compromise the test, and leaves a
// WindowResult behind. Subclasses add only painting or interaction.
class DisplayWidget : public InputDialog
{
    Q_OBJECT

public:
    DisplayWidget(QWidget* parent, QObject* eventFilter, int x, int y, int width, int height,
                  uint32_t mode, const uint32_t* systemEventWord, bool timeoutEnabled,
                  uint32_t timeoutSeconds);
    ~DisplayWidget() override;

    uint32_t mode() const { return m_mode; }
    uint32_t timeoutSeconds() const { return m_timeoutSeconds; }
    const uint32_t* systemEventWord() const { return m_systemEventWord; }
    bool hasTimeout() const; // a time-out timer is armed and running
    // The display's rectangle and where it lies in Qt's coordinates.
    const DeviceGeometry& deviceGeometry() const { return m_deviceGeometry; }

    // The surface that shows this window's next frame one to one where Qt's
    // own buffer would be resampled (Wayland at a scale Qt cannot paint, such
    // as 1.5); null where Qt's buffer is exact or nothing exact can be had
    // (then the window says so in ShownPixels::WarningProperty). Decided
    // anew for each frame, as the window may move between outputs; called
    // once the window is shown (from a paint).
    DevicePixelSurface* deviceSurface();
    // A frame of deviceSurface(): the window's size in its surface
    // coordinates, and the device pixels the compositor maps it onto at the
    // scale deviceSurface() chose.
    QSize surfaceLogicalSize() const;
    QSize surfaceDeviceSize();
    double frameScale() const { return m_frameScale; }
    // Records the device pixels of a frame just shown (ShownPixels).
    void noteShown(const QSize& devicePixels, double scale);

public slots:
    // X key codes: 9 is Escape.
    void KeyPressed(int keycode);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void TimedOut();
    void SystemEventCheck();

private:
    void finishWithEscape();
    void attachDeviceSurface();
    // The scale a frame is made for: the compositor's preferred one, the
    // backend's one of the display's output, else Qt's.
    double frameScaleNow();
    void checkScaleLater();

    uint32_t m_mode;
    DeviceGeometry m_deviceGeometry;
    QTimer* m_timeoutTimer = nullptr; // no Qt parent; owned here
    const uint32_t* m_systemEventWord = nullptr;
    uint32_t m_timeoutSeconds;
    std::unique_ptr<DevicePixelSurface> m_surface;
    bool m_surfaceTried = false;
    bool m_scaleCheckQueued = false;
    double m_outputScale = 0; // the backend's scale of the display's output; 0: unknown
    QString m_outputConnector;
    double m_frameScale = 1; // the scale the frames of m_surface are made for
};
