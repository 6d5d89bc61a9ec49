#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// What a test under Wine knows of the X server beneath it, as
// scripts/wine-tests.sh arranged it. On the Xorg dummy server: DUMMY0
// 1920x1080 at 0,0 and DUMMY1 1280x720 right of it, each with the real EDID
// named by WIN32_TEST_EDID_DUMMY0 / _DUMMY1; on Xvfb one 1920x1080 screen
// without EDID. WIN32_TEST_SERVER says which ("xorg-dummy", "xvfb"); a test
// for the other server skips.
class WineDesk : public ::testing::Test
{
public:
    static std::string server();
    // The bytes of the sample named source in EDID_SAMPLES.
    static std::vector<uint8_t> sampleEdid(const std::string& source);
    // The sample set on an output ("DUMMY1"), by its source name.
    static std::string edidSourceOf(const std::string& output);
    // xrandr's geometry of each output that shows something
    // ("DUMMY1" -> "1280x720+1920+0").
    static std::map<std::string, std::string> xrandrGeometries();
    // The resolutions xrandr lists for output ("1280x720").
    static std::vector<std::string> xrandrResolutions(const std::string& output);
    // Runs xrandr with arguments; true when it succeeded.
    static bool xrandr(const std::string& arguments);
    // Polls condition every 50 ms for up to timeoutMs; Wine picks up X
    // changes made behind its back asynchronously.
    static bool waitFor(const std::function<bool()>& condition, int timeoutMs = 10000);

protected:
    // Skips unless the server is the one named.
    static bool onServer(const std::string& name);
};
