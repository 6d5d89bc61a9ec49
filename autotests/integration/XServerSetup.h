#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

typedef struct _XDisplay Display;

// Arranges the outputs of the X server named by DISPLAY (Xorg with the dummy
// driver) the way a test needs them, through xrandr and RandR properties.
class XServerSetup
{
public:
    XServerSetup();
    ~XServerSetup();
    XServerSetup(const XServerSetup&) = delete;
    XServerSetup& operator=(const XServerSetup&) = delete;

    bool isOpen() const { return m_display != nullptr; }

    // The desk most tests start from: DUMMY0 1920x1080 at 0,0 (primary),
    // DUMMY1 1280x1024 right of it, every other output off, no EDIDs.
    void twoOutputs();

    // Sets (creates) an output property of 8-bit integers, or with the given
    // format and type for malformed ones.
    bool setProperty(const std::string& output, const std::string& property,
                     const std::vector<uint8_t>& bytes, int format = 8, bool integer = true);
    void deleteProperty(const std::string& output, const std::string& property);

    // Has the server probe its outputs. The dummy driver reports an output
    // connected only after a probe that follows setting a mode on it.
    static void probe();
    // Runs a shell command; returns its exit status and, when asked, its output.
    static int run(const std::string& command, std::string* output = nullptr);
    // xrandr's view of an output: "1920x1080+0+0", empty when it shows nothing.
    static std::string geometry(const std::string& output);
    static std::pair<int, int> screenSize();

private:
    unsigned long outputId(const std::string& name);

    Display* m_display = nullptr;
};
