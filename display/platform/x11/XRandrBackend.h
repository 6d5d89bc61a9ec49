#pragma once

#include "display/platform/SnapshotBackend.h"
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
// server's order); each output is an adapter, and the connected outputs on
// its CRTC are the monitor devices attached to it. The server is read again
// only when RandR reported a change, so listing the monitors costs one round
// trip while nothing changes and the hardware is never polled.
class XRandrBackend : public SnapshotBackend
{
public:
    // Connects to displayName (null: $DISPLAY). Null with *error set when the
    // display does not open or lacks RandR 1.2.
    static std::unique_ptr<XRandrBackend> open(const char* displayName, std::string* error);
    ~XRandrBackend() override;

    std::string name() const override { return "x11"; }
    int32_t changeDisplaySettings(const std::string& output, const ModeRecord* mode) override;

    // "RandR 1.6 on :0": what the connection found, for verbose output.
    std::string description() const;

protected:
    Reading readOutputs(std::vector<OutputSnapshot::Output>& outputs,
                        const OperationDeadline& deadline) override;
    bool platformGone() override { return m_broken; }

private:
    struct Output
    {
        unsigned long id = 0;
        std::string name;
        bool connected = false;
        unsigned long crtc = 0;
        std::vector<unsigned long> modes; // server order
        int preferredModes = 0;           // the first ones of modes
    };
    // The server's answers behind the current snapshot, kept for changes.
    struct ServerState
    {
        XRRScreenResources* resources = nullptr;
        std::vector<Output> outputs;
        RandrLayout layout;
        unsigned long primary = 0;
        ~ServerState();
    };
    struct Identity
    {
        std::vector<uint8_t> edid;
        std::string card;
    };
    using CrtcSetting = RandrLayout::CrtcSetting;

    XRandrBackend(Display* display, std::string displayName);

    bool readServer();
    void drainEvents();
    std::vector<OutputSnapshot::Output> rowsOf(const ServerState& state);
    const Output* findOutput(const std::string& name) const;
    const Output* findOutput(unsigned long id) const;
    std::vector<uint8_t> readEdid(unsigned long output);
    std::string monitorName(const RandrLayout::Crtc& crtc) const;
    uint32_t depth() const;

    int32_t applyMode(const Output& output, const ModeRecord& mode);
    int32_t restore(const Output& output);
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
    std::unique_ptr<ServerState> m_state;
    // EDID and DRM card of each output, read once until its properties change.
    std::map<unsigned long, Identity> m_identities;
    std::map<unsigned long, CrtcSetting> m_saved;
    unsigned m_savedWidth = 0;
    unsigned m_savedHeight = 0;
    unsigned long m_edidAtoms[3] = {};
};
