#pragma once

#include <gtest/gtest.h>

#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/DisplayInterfaceComponentWindows.h"

#include <QTemporaryDir>

#include <memory>
#include <string>

class KdeBackend;

// The desk every test on the KWin named by WAYLAND_DISPLAY (its virtual
// backend, started by scripts/with-kwin.sh) starts from and leaves behind:
// Virtual-0 at 0,0 and Virtual-1 at 1920,0, both enabled, 1920x1080,
// unturned, at scale 1; the module's discovery (the KDE backend installed as
// the platform) refreshed on it. Skips when there is no compositor.
class KwinDesk : public ::testing::Test
{
public:
    // Runs a shell command; returns its exit status and, when asked, its output.
    static int run(const std::string& command, std::string* output = nullptr);

protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the KDE backend (EDIDs looked up under sysfsRoot) and installs it.
    void install(const std::string& sysfsRoot = "/nonexistent");
    // Makes a sysfs tree in which card0's connector carries the EDID of the
    // sample collected at source; returns its root.
    std::string sysfsWithEdid(const std::string& connector, const std::string& source);
    DisplayInterfaceComponentWindows* display(uint32_t index)
    {
        return dynamic_cast<DisplayInterfaceComponentWindows*>(manager->componentAt(index));
    }

    // Runs kscreen-doctor with these arguments, as another client would.
    static int doctor(const std::string& arguments);
    // The outputs as kscreen-doctor reads them, in order:
    // "Virtual-0 1920x1080+0+0 r1 s1, Virtual-1 off" (r: kscreen's rotation,
    // 1 none, 2 left; s: scale).
    static std::string layout();
    // The windows KWin shows, as a script inside the compositor prints them:
    // "OrvaneDiagnosticsCLI on 1 at 1920,0 1920x1080 fullscreen".
    static std::string windows();
    // The windows once one is full-screen, or as they are after 10 s.
    static std::string shownWindow();
    static void reset();

    std::unique_ptr<DisplayInterfaceComponentManagerWindows> manager;

private:
    QTemporaryDir m_sysfs;
};

// What the desk shows before any test changes it.
inline const std::string InitialLayout =
    "Virtual-0 1920x1080+0+0 r1 s1, Virtual-1 1920x1080+1920+0 r1 s1";
