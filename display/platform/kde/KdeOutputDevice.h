#pragma once

#include "display/platform/kde/KdeOutputDeviceMode.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct kde_output_device_v2;

// One output of the compositor, connected whether enabled or not. Turns the
// device's events into a plain State, which takes effect at each "done" (the
// compositor sends a change as several events closed by one "done"). Each
// "done" also notes what changed, as DisplayBackend::DisplayEvent bits.
// Owns the protocol object and its modes.
class KdeOutputDevice
{
public:
    struct Mode
    {
        int32_t width = 0; // the unturned panel's pixels
        int32_t height = 0;
        int32_t refreshMilliHertz = 0;
        bool preferred = false;
    };
    struct State
    {
        std::string name; // connector: "DP-1", "Virtual-0"
        bool enabled = false;
        int32_t x = 0;
        int32_t y = 0;
        int32_t transform = 0; // wl_output transform: 1, 3, 5, 7 turn by 90 or 270 degrees
        double scale = 1.0;
        std::vector<Mode> modes; // in the compositor's order
        int currentMode = -1;    // index into modes, -1 when none
        std::vector<uint8_t> edid;
        std::string eisaId;       // the maker's three letters, when sent
        std::string serialNumber; // as the EDID gives it, when sent
    };

    KdeOutputDevice(kde_output_device_v2* device, uint32_t globalName);
    ~KdeOutputDevice();

    KdeOutputDevice(const KdeOutputDevice&) = delete;
    KdeOutputDevice& operator=(const KdeOutputDevice&) = delete;

    kde_output_device_v2* handle() const { return m_device; }
    uint32_t globalName() const { return m_globalName; }
    // False until the first "done": the state is not known yet.
    bool complete() const { return m_complete; }
    const State& state() const { return m_state; }
    // The protocol object of mode index of the state, null when gone.
    kde_output_device_mode_v2* modeHandle(int index) const;

    // Changes noted since the last call.
    uint32_t takeChanges();

private:
    void commit();

    kde_output_device_v2* m_device;
    uint32_t m_globalName;
    bool m_complete = false;
    uint32_t m_changes = 0;
    State m_pending;
    State m_state;
    std::vector<std::unique_ptr<KdeOutputDeviceMode>> m_modes;
    std::vector<KdeOutputDeviceMode*> m_stateModes; // the objects behind m_state.modes
    KdeOutputDeviceMode* m_current = nullptr;
};
