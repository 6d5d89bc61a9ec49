#pragma once

#include "display/platform/DisplayBackend.h"
#include "display/platform/x11/RandrLayout.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct _XDisplay Display;
typedef struct _XRRScreenResources XRRScreenResources;

// The displays of an X server through RandR 1.2 and later. Every active CRTC
// is a monitor named after the first connected output it drives (in the
// server's output order); each output is an adapter, and the connected
// outputs on its CRTC are the monitor devices attached to it. The server's
// state is cached and dropped when RandR reports a change, so a question
// costs one round trip (none for the later steps of an enumeration) unless
// something changed; the hardware is never polled while the cheap query
// answers.
class XRandrBackend : public DisplayBackend
{
public:
    // Connects to displayName (null: $DISPLAY). Null with *error set when the
    // display does not open or lacks RandR 1.2.
    static std::unique_ptr<XRandrBackend> open(const char* displayName, std::string* error);
    ~XRandrBackend() override;

    std::string name() const override { return "x11"; }
    bool enumDisplayMonitors(const MonitorCallback& callback) override;
    bool getMonitorInfo(MonitorHandle monitor, MonitorInfo& info) override;
    bool enumDisplayDevices(const char* adapter, uint32_t index, DisplayDevice& device) override;
    bool enumDisplaySettings(const std::string& output, int32_t modeIndex,
                             ModeRecord& mode) override;
    int32_t changeDisplaySettings(const std::string& output, const ModeRecord* mode) override;
    bool presentMonitorDevices(std::vector<MonitorDevice>& devices) override;
    bool monitorClassDevices(std::vector<MonitorClassDevice>& devices) override;
    bool describeDevice(const std::string& output, const std::string& monitorDevice,
                        OutputView& view) override;

    // "RandR 1.6 on :0": what the connection found, for verbose output.
    std::string description() const;

    // Where the DRM connectors are looked up for driver versions.
    void setDrmRoots(const std::string& sysfsRoot, const std::string& deviceRoot);

private:
    struct Output
    {
        unsigned long id = 0;
        std::string name;
        bool connected = false;
        unsigned long crtc = 0;
        std::vector<unsigned long> crtcs;         // possible
        std::vector<unsigned long> modes;         // server order
        int preferredModes = 0;                   // the first ones of modes
        std::optional<std::vector<uint8_t>> edid; // fetched on first use
        std::optional<std::optional<std::string>> driverVersion;
    };
    struct Snapshot
    {
        XRRScreenResources* resources = nullptr;
        std::vector<Output> outputs;
        RandrLayout layout;
        unsigned long primary = 0;
        ~Snapshot();
    };
    using CrtcSetting = RandrLayout::CrtcSetting;

    XRandrBackend(Display* display, std::string displayName);

    bool update(bool roundTrip = true);
    bool buildSnapshot();
    void drainEvents();
    Output* findOutput(const std::string& name);
    Output* findOutput(unsigned long id);
    const std::vector<uint8_t>& edidOf(Output& output);
    const std::optional<std::string>& driverVersionOf(Output& output);
    std::string monitorName(const RandrLayout::Crtc& crtc) const;
    std::vector<const Output*> attachedOutputs(const Output& adapter) const;
    int outputIndex(unsigned long id) const;
    uint32_t depth() const;

    int32_t applyMode(Output& output, const ModeRecord& mode);
    int32_t restore(Output& output);
    // Carries out the settings on the server as RandrLayout::change plans
    // them, with the server grabbed; shrinkBack returns the screen to the
    // size first seen where the layout allows.
    bool changeCrtcs(const std::vector<CrtcSetting>& settings, bool shrinkBack);
    bool setCrtc(const CrtcSetting& setting);
    bool setScreenSize(unsigned width, unsigned height);
    // The rotation of the CRTC that drives the output; none when idle.
    unsigned short rotationOf(const Output& output) const;

    Display* m_display;
    std::string m_displayName;
    int m_eventBase = 0;
    int m_major = 0;
    int m_minor = 0;
    bool m_broken = false;
    bool m_stale = true;
    bool m_fullQueryDone = false;
    std::unique_ptr<Snapshot> m_snapshot;
    std::map<unsigned long, CrtcSetting> m_saved;
    unsigned m_savedWidth = 0;
    unsigned m_savedHeight = 0;
    unsigned long m_edidAtoms[3] = {};
    std::string m_drmSysfsRoot = "/sys/class/drm";
    std::string m_drmDeviceRoot = "/dev/dri";
};
