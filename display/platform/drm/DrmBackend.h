#pragma once

#include "display/platform/SnapshotBackend.h"
#include "display/platform/sysfs/SysfsReader.h"

#include <optional>
#include <string>
#include <vector>

// The displays the kernel drives, for a console or a Wayland session where
// no X server tells about them. Every connected and enabled connector is a
// monitor; the connector is its adapter and its one attached device. Sysfs
// gives presence, EDID and mode names; the device node, when it opens
// read-only, adds refresh rates, the current mode and the monitor's place.
// Changing modes belongs to the compositor, so every change fails.
class DrmBackend : public SnapshotBackend
{
public:
    explicit DrmBackend(std::string sysfsRoot = "/sys/class/drm",
                        std::string deviceRoot = "/dev/dri");

    std::string name() const override { return "drm"; }
    int32_t changeDisplaySettings(const std::string& output, const ModeRecord* mode) override;

    // Number of connectors found, for verbose output.
    size_t connectorCount();

protected:
    // Reads sysfs and the device nodes again.
    Reading readOutputs(std::vector<OutputSnapshot::Output>& outputs,
                        const OperationDeadline& deadline) override;

private:
    struct Connector
    {
        SysfsReader::Connector sysfs;
        std::vector<OutputSnapshot::Mode> modes;
        std::optional<size_t> current;
        std::optional<Rect> placed; // where the kernel scans it out, when known
    };

    static void readDeviceNode(const std::string& node, const std::string& card,
                               std::vector<Connector>& connectors);
};
