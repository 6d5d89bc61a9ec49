#pragma once

#include "display/platform/DisplayDevice.h"
#include "display/platform/ModeRecord.h"
#include "display/platform/MonitorClassDevice.h"
#include "display/platform/MonitorDevice.h"
#include "display/platform/MonitorInfo.h"
#include "display/platform/OutputView.h"
#include "display/platform/Rect.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// One reading of a backend's outputs, never changed once built. A backend
// translates its platform into rows (one per output, in the platform's
// order); every answer the module and the hosts get (monitors, adapters,
// attached devices, modes, the platform view) is read from one snapshot, so
// a change arriving between two calls cannot mix two layouts.
//
// Monitor handles and mode ids are keyed by the output's name and the mode's
// key, not by position: a snapshot built with the previous one keeps every
// handle and id of an output that is still there, and never gives a vanished
// one's to another.
class OutputSnapshot
{
public:
    using MonitorHandle = uintptr_t;

    struct Mode
    {
        uint32_t width = 0; // as the desktop sees it (turned with the output)
        uint32_t height = 0;
        uint32_t bitsPerPixel = 32;
        uint32_t refreshMilliHertz = 0; // 0: unknown
        double exactRefreshHz = 0;      // unrounded where the platform gives it, else 0
        std::optional<bool> preferred;  // absent where the platform has no such notion
        uint32_t flags = 0;             // backend's own flags, handed back in the record
        // The platform's name of the mode, unique on its output ("1920x1080@59.940");
        // empty: made from the figures.
        std::string key;
    };

    struct Output
    {
        // adapter.deviceName names the output; the backend sets its flags.
        DisplayDevice adapter;
        // The monitor device plugged into the output, when connected. Empty
        // fields are filled: deviceName "<adapter>\Monitor<n>" by its place
        // on the adapter it is attached to, deviceString "Monitor on
        // <connector>", deviceId from the EDID's model code and the row.
        DisplayDevice device;
        bool connected = true;
        // The output whose monitor (desktop region) this one shows: itself,
        // another one when it is a clone, empty when it is off.
        std::string shownIn;
        Rect rect;                     // the monitor's rectangle, when shownIn is itself
        std::optional<Rect> workArea;  // rect when absent
        bool primary = false;          // the primary monitor's output
        std::string connector;         // as the platform view names it; the name when empty
        double scale = 1.0;            // the compositor's scale: device pixels per desktop pixel
        std::vector<Mode> modes;       // in the platform's order
        std::optional<size_t> current; // index into modes; absent when off or unknown
        // As the platform gives it; shorter than a base block counts as none
        // everywhere but the platform view.
        std::vector<uint8_t> edid;
        std::string card; // DRM card behind the output, for its driver version
    };

    OutputSnapshot() = default;
    // Takes the rows; handles and ids of outputs and modes that previous
    // also had are kept. previous may be null.
    OutputSnapshot(std::vector<Output> outputs, const OutputSnapshot* previous);

    const std::vector<Output>& outputs() const { return m_outputs; }
    const Output* find(const std::string& name) const;

    // The monitors of the desktop in the outputs' order.
    const std::vector<MonitorHandle>& monitors() const { return m_monitors; }
    bool monitorInfo(MonitorHandle monitor, MonitorInfo& info) const;

    // The adapter at index; the monitor device at index on the adapter named
    // adapter (a clone shows on its monitor's output; an output that is off
    // holds its own device).
    bool adapter(uint32_t index, DisplayDevice& device) const;
    bool attachedDevice(const std::string& adapter, uint32_t index, DisplayDevice& device) const;

    // modeIndex DisplayBackend::CurrentSettings (-1) for the current mode.
    bool mode(const std::string& output, int32_t modeIndex, ModeRecord& record) const;
    // The output's mode that record names: same size, same refresh (millihertz
    // when the record has them, else whole hertz) and bits per pixel, each 0
    // meaning any; the record's own id first when several match.
    std::optional<size_t> modeIndex(const Output& output, const ModeRecord& record) const;
    ModeRecord recordOf(const Output& output, size_t modeIndex) const;

    // The platform view of the monitor device monitorDevice on adapter output.
    bool view(const std::string& output, const std::string& monitorDevice, OutputView& view) const;

    // Connected outputs as present monitor devices, in row order.
    std::vector<MonitorDevice> presentMonitorDevices() const;

    // The output's EDID when it is at least a base block, else nothing.
    static std::vector<uint8_t> usableEdid(const Output& output);

    // a + b held within int32_t: compositors may send any position and size.
    static int32_t clampedSum(int32_t a, int64_t b);

private:
    const Output* deviceOutput(const std::string& adapter, uint32_t index) const;
    std::string modeKey(const Output& output, size_t index) const;

    std::vector<Output> m_outputs;
    std::vector<MonitorHandle> m_monitors;
    std::map<std::string, MonitorHandle> m_handles; // output name -> handle
    std::map<std::string, uint64_t> m_modeIds;      // output name, mode key -> id
    uint64_t m_nextId = 1;
};
