#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the kernel tells about DRM connectors through sysfs, read without
// writing anything and without asking the hardware: each card*-* folder's
// status, enabled, edid and modes files. Shared by every backend that needs
// EDID bytes or driver versions its own platform does not hand out.
class SysfsReader
{
public:
    struct Connector
    {
        std::string name;   // folder name: "card0-HDMI-A-1"
        std::string card;   // "card0"
        std::string status; // "connected", "disconnected", "unknown"
        bool enabled = false;
        std::vector<uint8_t> edid;
        std::vector<std::string> modes; // mode names as listed: "1920x1080", "1920x1080i"
    };

    // Connectors under root, by card number and then by name in natural order
    // (DP-2 before DP-10). Empty when root cannot be read.
    static std::vector<Connector> connectors(const std::string& root);

    // The connector called connector ("DP-1") on any card: card*-DP-1.
    static std::optional<Connector> connectorNamed(const std::string& root,
                                                   const std::string& connector);

    // The connector called connector on the card that shows the monitor
    // maker ("GSM") with serial: two cards may each have a DP-1. A connector
    // whose EDID names that maker and serial (as text or number) wins, then
    // the only connected one, then the first; empty maker or serial match any.
    static std::optional<Connector> connectorShowing(const std::string& root,
                                                     const std::string& connector,
                                                     const std::string& maker,
                                                     const std::string& serial);

    // "i915 1.6.0": the driver behind card, from drmGetVersion on the device
    // node opened read-only (when built with libdrm), else from the driver's module version in
    // sysfs.
    static std::optional<std::string>
    driverVersion(const std::string& root, const std::string& deviceRoot, const std::string& card);

    // Width and height of a mode name ("1920x1080i" gives 1920, 1080).
    static bool parseModeName(const std::string& name, uint32_t& width, uint32_t& height);

    // True for a connector name of one of the cards ("card0-DP-1", not "card0").
    static bool isConnectorName(const std::string& name);
};
