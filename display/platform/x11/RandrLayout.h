#pragma once

#include "display/platform/ModeRecord.h"
#include "display/platform/Rect.h"

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

typedef struct _XRRModeInfo XRRModeInfo;
typedef struct _XRRCrtcInfo XRRCrtcInfo;

// RandR's answers about the screen, its CRTCs and their modes, as plain
// values, and what the module reads from them: a CRTC's rectangle, a mode as
// the panel shows it, and the steps of a change with their undoing. A CRTC
// turned by 90 or 270 degrees shows its modes with width and height swapped;
// half turns and reflections swap nothing. Knows no X connection: the
// backend fills it from the server, tests from recorded answers.
class RandrLayout
{
public:
    struct Mode
    {
        unsigned long id = 0;
        unsigned width = 0; // as the mode info gives it, unturned
        unsigned height = 0;
        uint32_t frequency = 0;
        double refreshHz = 0; // unrounded; 0 without totals
    };
    struct Crtc
    {
        unsigned long id = 0;
        int x = 0;
        int y = 0;
        unsigned width = 0; // as placed on the screen (rotation applied)
        unsigned height = 0;
        unsigned long mode = 0;
        unsigned short rotation = 1; // RandR's rotation and reflection bits
        std::vector<unsigned long> outputs;
    };
    // One CRTC setting: for changing, for undoing, and how an output was
    // driven when the backend first saw it. Mode 0 turns the CRTC off.
    struct CrtcSetting
    {
        unsigned long crtc = 0;
        unsigned long mode = 0;
        int x = 0;
        int y = 0;
        unsigned short rotation = 1;
        std::vector<unsigned long> outputs;
    };
    struct Screen
    {
        unsigned width = 0;
        unsigned height = 0;
        unsigned minWidth = 0;
        unsigned minHeight = 0;
        unsigned maxWidth = 0;
        unsigned maxHeight = 0;
    };
    // What carries a change out: the server's requests, or a test's record.
    struct Requests
    {
        std::function<bool(unsigned width, unsigned height)> setScreenSize;
        std::function<bool(const CrtcSetting& setting)> setCrtc;
    };

    void addMode(const XRRModeInfo& info);
    void addCrtc(unsigned long id, const XRRCrtcInfo& info);

    static bool isSideways(unsigned short rotation);
    // Whole hertz of a mode: dot clock over the totals, the vertical total
    // doubled for double scan and halved for interlace; 0 without totals.
    static uint32_t refreshRate(unsigned long dotClock, unsigned hTotal, unsigned vTotal,
                                unsigned long modeFlags);
    // The same rate unrounded.
    static double exactRefreshRate(unsigned long dotClock, unsigned hTotal, unsigned vTotal,
                                   unsigned long modeFlags);

    // The CRTC's rectangle on the screen; false for an unknown or idle CRTC.
    bool rectangle(unsigned long crtc, Rect& rect) const;
    // The mode as a CRTC with that rotation shows it; false for an unknown mode.
    bool modeRecord(unsigned long mode, unsigned short rotation, uint32_t depth,
                    ModeRecord& record) const;
    // The CRTC as it is now; mode 0 when it is idle or unknown.
    CrtcSetting current(unsigned long crtc) const;
    // The smallest screen that holds every CRTC once the settings are made.
    std::pair<unsigned, unsigned> extent(const std::vector<CrtcSetting>& settings) const;

    // Makes the settings in order, growing the screen first as far as the
    // turned modes need; with shrinkTo, then resizes the screen to the
    // larger of shrinkTo, the layout's extent and the smallest size
    // allowed. The first refusal undoes what was done, in reverse order.
    bool change(const std::vector<CrtcSetting>& settings, const Screen& screen,
                const std::pair<unsigned, unsigned>* shrinkTo, const Requests& requests) const;

    std::map<unsigned long, Mode> modes;
    std::map<unsigned long, Crtc> crtcs; // those in use by an output
};
