#pragma once

#include "display/platform/ModeRecord.h"
#include "display/platform/OutputView.h"
#include "display/platform/Rect.h"
#include "display/platform/gnome/DisplayConfigState.h"

#include <optional>
#include <string>
#include <vector>

// What a GetCurrentState answer means in the module's terms, without any
// D-Bus: each monitor's modes turned like its region, its current mode
// (none when off) and its region; each region's rectangle, which takes the
// current mode's size, turned for transforms 1, 3, 5 and 7 and divided by
// the scale only in the logical layout.
class DisplayConfigLayout
{
public:
    struct Monitor
    {
        std::string connector;
        std::string identity;          // connector, vendor, product, serial
        std::vector<ModeRecord> modes; // nativeId: index into the service's modes
        std::optional<ModeRecord> current;
        int region = -1; // index into the state's logical monitors; -1: off
        // The same modes for the platform view: turned alike, with the
        // service's own rates and preferred flags.
        std::vector<OutputMode> viewModes;
    };

    // Bits per pixel of every mode: compositors draw into 32-bit buffers.
    static constexpr uint32_t BitsPerPixel = 32;

    DisplayConfigLayout() = default;
    explicit DisplayConfigLayout(const DisplayConfigState& state);

    // In the service's order.
    const std::vector<Monitor>& monitors() const { return m_monitors; }
    const Monitor* find(const std::string& connector) const;
    // Regions in the order of their first monitor.
    const std::vector<int>& regions() const { return m_regions; }
    Rect rectOf(int region) const;
    // The region's first monitor in the service's order.
    std::string nameOf(int region) const;
    bool isPrimary(int region) const;
    // The platform view of monitor, without its EDID: its region's place,
    // the current mode's size and rate, the region's scale, every mode.
    OutputView viewOf(const Monitor& monitor) const;
    // The monitors showing the adapter's region (clones), or the adapter
    // alone when it is off.
    std::vector<const Monitor*> attachedTo(const Monitor& adapter) const;

private:
    std::vector<Monitor> m_monitors;
    std::vector<int> m_regions;
    std::vector<Rect> m_rects;
    std::vector<bool> m_primary;
    std::vector<double> m_scales;
};
