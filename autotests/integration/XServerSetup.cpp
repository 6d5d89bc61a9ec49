#include "XServerSetup.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cctype>
#include <cstdio>
#include <sstream>
#include <sys/wait.h>

namespace {
int lastError = 0;
int (*previousHandler)(Display*, XErrorEvent*) = nullptr;

// Deleting a property that is not there is no reason to stop the test.
int recordError(Display*, XErrorEvent* event)
{
    lastError = event->error_code;
    return 0;
}
} // namespace

XServerSetup::XServerSetup() : m_display(XOpenDisplay(nullptr))
{
    previousHandler = XSetErrorHandler(&recordError);
}

XServerSetup::~XServerSetup()
{
    if (m_display)
        XCloseDisplay(m_display);
    XSetErrorHandler(previousHandler);
}

int XServerSetup::run(const std::string& command, std::string* output)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    std::string text;
    char buffer[4096];
    while (size_t count = fread(buffer, 1, sizeof buffer, pipe))
        text.append(buffer, count);
    const int status = pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void XServerSetup::twoOutputs()
{
    // The dummy driver's outputs beyond DUMMY0 connect once a mode is added
    // and set; from then on they list all the built-in modes.
    run("xrandr --addmode DUMMY1 1280x1024");
    std::string command = "xrandr --output DUMMY0 --mode 1920x1080 --pos 0x0 --rotate normal"
                          " --primary --output DUMMY1 --mode 1280x1024 --pos 1920x0"
                          " --rotate normal";
    for (int i = 2; i < 16; ++i)
        command += " --output DUMMY" + std::to_string(i) + " --off";
    run(command + " --fb 3200x1080");
    // Modes tests added to the outputs go again.
    run("xrandr --delmode DUMMY1 md-wide");
    run("xrandr --delmode DUMMY0 md-only0");
    probe();
    for (const char* output : {"DUMMY0", "DUMMY1", "DUMMY2"}) {
        deleteProperty(output, "EDID");
        deleteProperty(output, "EDID_DATA");
    }
}

unsigned long XServerSetup::outputId(const std::string& name)
{
    unsigned long found = 0;
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(m_display, DefaultRootWindow(m_display));
    for (int i = 0; resources && i < resources->noutput && !found; ++i) {
        if (XRROutputInfo* info = XRRGetOutputInfo(m_display, resources, resources->outputs[i])) {
            if (name == std::string(info->name, size_t(info->nameLen)))
                found = resources->outputs[i];
            XRRFreeOutputInfo(info);
        }
    }
    if (resources)
        XRRFreeScreenResources(resources);
    return found;
}

bool XServerSetup::setProperty(const std::string& output, const std::string& property,
                               const std::vector<uint8_t>& bytes, int format, bool integer)
{
    const unsigned long id = outputId(output);
    if (!id)
        return false;
    const Atom name = XInternAtom(m_display, property.c_str(), False);
    const int units = int(bytes.size()) / (format / 8);
    std::vector<long> wide(bytes.begin(), bytes.end()); // format 32 takes longs
    const unsigned char* data =
        format == 32 ? reinterpret_cast<const unsigned char*>(wide.data()) : bytes.data();
    XRRChangeOutputProperty(m_display, id, name, integer ? XA_INTEGER : XA_CARDINAL, format,
                            PropModeReplace, data, format == 32 ? int(bytes.size()) : units);
    lastError = 0;
    XSync(m_display, False);
    return lastError == 0;
}

void XServerSetup::deleteProperty(const std::string& output, const std::string& property)
{
    if (const unsigned long id = outputId(output)) {
        XRRDeleteOutputProperty(m_display, id, XInternAtom(m_display, property.c_str(), False));
        XSync(m_display, False);
    }
}

void XServerSetup::probe()
{
    run("xrandr -q");
}

std::string XServerSetup::geometry(const std::string& output)
{
    std::string text;
    run("xrandr -q", &text);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string name;
        std::string state;
        words >> name >> state;
        if (name != output || (state != "connected" && state != "disconnected"))
            continue;
        // "DUMMY0 connected primary 1920x1080+0+0 ...": the first word that
        // starts with a digit and holds a "+" is the geometry.
        for (std::string word; words >> word;)
            if (std::isdigit(static_cast<unsigned char>(word[0])) &&
                word.find('+') != std::string::npos)
                return word;
        return "";
    }
    return "missing";
}

std::pair<int, int> XServerSetup::screenSize()
{
    std::string text;
    run("xrandr -q", &text);
    int width = 0;
    int height = 0;
    const size_t current = text.find("current ");
    if (current == std::string::npos ||
        std::sscanf(text.c_str() + current, "current %d x %d", &width, &height) != 2)
        return {0, 0};
    return {width, height};
}
