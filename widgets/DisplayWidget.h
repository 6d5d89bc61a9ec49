#pragma once

#include "widgets/DeviceGeometry.h"
#include "widgets/InputDialog.h"

#include <cstdint>

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

    uint32_t m_mode;
    DeviceGeometry m_deviceGeometry;
    QTimer* m_timeoutTimer = nullptr; // no Qt parent; owned here
    const uint32_t* m_systemEventWord = nullptr;
    uint32_t m_timeoutSeconds;
};
