#pragma once

#include "display/platform/SnapshotBackend.h"
#include "display/platform/kde/KdeOutputDevice.h"

#include <memory>
#include <string>
#include <vector>

class KdeCompositor;

// The displays of a KDE Plasma Wayland session, through KWin's output
// protocols. Every enabled output device is a monitor named after its
// connector, with the output as its adapter and its one attached device; a
// disabled output is an adapter without a monitor. Under a transform of 90
// or 270 degrees the modes are listed turned; the rectangle is the position
// with the turned current mode's size divided by the output's scale, the
// coordinates Qt's Wayland screens use. EDIDs come from the compositor, or
// from sysfs by connector name when it sends none.
class KdeBackend : public SnapshotBackend
{
public:
    // Connects to the socket named socket (null: $WAYLAND_DISPLAY). Null with
    // *error set when no compositor there offers KWin's output devices.
    // *unanswered (when given) says a compositor is there but silent.
    static std::unique_ptr<KdeBackend> open(const char* socket, std::string* error,
                                            std::string sysfsRoot = "/sys/class/drm",
                                            std::string deviceRoot = "/dev/dri",
                                            bool* unanswered = nullptr);
    ~KdeBackend() override;

    std::string name() const override { return "kde"; }
    int32_t changeDisplaySettings(const std::string& output, const ModeRecord* mode) override;
    std::string lastChangeError() const override;
    void setChangeCallback(ChangeCallback callback) override;

    // What the connection found, for verbose output.
    std::string description() const;

    // The snapshot rows of the compositor's outputs (primary first in
    // order), without EDIDs from sysfs: a pure translation.
    static std::vector<OutputSnapshot::Output>
    outputsOf(const std::vector<KdeOutputDevice::State>& states,
              const std::vector<std::string>& order);

protected:
    Reading readOutputs(std::vector<OutputSnapshot::Output>& outputs,
                        const OperationDeadline& deadline) override;
    bool platformGone() override;

private:
    KdeBackend(std::unique_ptr<KdeCompositor> compositor, std::string sysfsRoot,
               std::string deviceRoot);

    // Keeps why a change failed, and says it to whoever shows Qt's info lines.
    int32_t failed(const std::string& why);

    std::unique_ptr<KdeCompositor> m_compositor;
    std::string m_changeError;
    // The states behind the last snapshot, row for row.
    std::vector<KdeOutputDevice::State> m_outputs;
};
