#pragma once

#include <gtest/gtest.h>

#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/DisplayInterfaceComponentWindows.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

// The desk every test on the X server named by DISPLAY (Xorg with the dummy
// driver) starts from and leaves behind: DUMMY0 1920x1080 at 0,0 (primary)
// with the Eizo EDID, DUMMY1 1280x1024 right of it with the BenQ EDID, every
// other output off; the module's discovery (the RandR backend installed as the
// platform) refreshed on it. Skips when there is no server.
class XorgDesk : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets (creates) an output property of 8-bit integers, or with the given
    // format and type for malformed ones; no bytes delete it.
    void setProperty(const std::string& output, const std::string& property,
                     const std::vector<uint8_t>& bytes, int format = 8, bool integer = true);
    DisplayInterfaceComponentWindows* display(uint32_t index)
    {
        return dynamic_cast<DisplayInterfaceComponentWindows*>(manager->componentAt(index));
    }

    // Runs a shell command; returns its exit status and, when asked, its output.
    static int run(const std::string& command, std::string* output = nullptr);
    // xrandr's view of the screen and the outputs it shows:
    // "3200x1080 DUMMY0 1920x1080+0+0 DUMMY1 1280x1024+1920+0".
    static std::string layout();

    Display* m_display = nullptr;
    std::unique_ptr<DisplayInterfaceComponentManagerWindows> manager;

private:
    void reset();
    unsigned long outputId(const std::string& name);
};
