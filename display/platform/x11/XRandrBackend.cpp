#include "display/platform/x11/XRandrBackend.h"

#include "display/platform/sysfs/SysfsReader.h"
#include "display/platform/x11/XErrorTrap.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
// Largest EDID the property can hold: 256 blocks of 128 bytes, in 32-bit units.
constexpr long MaxEdidLongs = 256 * 128 / 4;
} // namespace

XRandrBackend::ServerState::~ServerState()
{
    if (resources)
        XRRFreeScreenResources(resources);
}

std::unique_ptr<XRandrBackend> XRandrBackend::open(const char* displayName, std::string* error)
{
    const std::string shownName = XDisplayName(displayName);
    auto fail = [&](const std::string& text) {
        if (error)
            *error = text;
        return nullptr;
    };
    if (shownName.empty())
        return fail("no X display is named (DISPLAY is not set)");
    Display* display = XOpenDisplay(displayName);
    if (!display)
        return fail("cannot open X display " + shownName);
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
        !XRRQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 2)) {
        XCloseDisplay(display);
        return fail("X display " + shownName + " lacks RandR 1.2");
    }
    std::unique_ptr<XRandrBackend> backend(new XRandrBackend(display, shownName));
    backend->m_eventBase = eventBase;
    backend->m_major = major;
    backend->m_minor = minor;
    if (backend->m_broken)
        return fail("the connection to X display " + shownName + " broke");
    return backend;
}

XRandrBackend::XRandrBackend(Display* display, std::string displayName)
    : SnapshotBackend("/sys/class/drm", "/dev/dri"), m_display(display),
      m_displayName(std::move(displayName))
{
    XErrorTrap::protectConnection(m_display, &m_broken);
    XErrorTrap trap(m_display);
    // Created when missing, so that a property set later is still found.
    char* names[] = {const_cast<char*>("EDID"), const_cast<char*>("EDID_DATA"),
                     const_cast<char*>("XFree86_DDC_EDID1_RAWDATA")};
    Atom atoms[3] = {};
    if (XInternAtoms(m_display, names, 3, False, atoms))
        std::copy(atoms, atoms + 3, m_edidAtoms);
    // Change notifications keep the cached state honest without re-reading it.
    XRRSelectInput(m_display, DefaultRootWindow(m_display),
                   RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask |
                       RROutputPropertyNotifyMask);
    trap.sync();
}

XRandrBackend::~XRandrBackend()
{
    m_state.reset();
    XErrorTrap trap(m_display);
    XCloseDisplay(m_display);
}

std::string XRandrBackend::description() const
{
    return "RandR " + std::to_string(m_major) + "." + std::to_string(m_minor) + " on " +
           m_displayName;
}

SnapshotBackend::Reading XRandrBackend::readOutputs(std::vector<OutputSnapshot::Output>& outputs,
                                                    const OperationDeadline&)
{
    // Xlib waits without a time limit; a server that stops answering stops
    // every client on its desktop, this one too.
    XErrorTrap trap(m_display);
    if (m_broken)
        return Reading::Failed;
    // After the round trip every change notification the server sent before
    // it has arrived.
    XSync(m_display, False);
    if (m_broken)
        return Reading::Failed;
    drainEvents();
    if (!m_stale && m_state)
        return Reading::Unchanged;
    if (!readServer())
        return Reading::Failed;
    outputs = rowsOf(*m_state);
    return m_broken ? Reading::Failed : Reading::Read;
}

void XRandrBackend::drainEvents()
{
    while (!m_broken && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        XRRUpdateConfiguration(&event);
        const int type = event.type - m_eventBase;
        if (type == RRScreenChangeNotify) {
            m_stale = true;
        } else if (type == RRNotify) {
            const auto& notify = reinterpret_cast<const XRRNotifyEvent&>(event);
            if (notify.subtype == RRNotify_OutputProperty)
                m_identities.erase(
                    reinterpret_cast<const XRROutputPropertyNotifyEvent&>(event).output);
            m_stale = true;
        }
    }
}

bool XRandrBackend::readServer()
{
    m_state.reset();
    auto state = std::make_unique<ServerState>();
    const Window root = DefaultRootWindow(m_display);
    // The current configuration does not poll the hardware; only a server
    // that never probed its outputs answers it empty.
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(m_display, root);
    if (resources && resources->noutput == 0 && !m_fullQueryDone) {
        m_fullQueryDone = true;
        XRRFreeScreenResources(resources);
        resources = XRRGetScreenResources(m_display, root);
    }
    if (!resources || m_broken) {
        if (resources)
            XRRFreeScreenResources(resources);
        return false;
    }
    state->resources = resources;

    RandrLayout& layout = state->layout;
    for (int i = 0; i < resources->nmode; ++i)
        layout.addMode(resources->modes[i]);

    for (int i = 0; i < resources->noutput; ++i) {
        // An output removed since the resource list came back answers null.
        XRROutputInfo* info = XRRGetOutputInfo(m_display, resources, resources->outputs[i]);
        if (!info)
            continue;
        Output output;
        output.id = resources->outputs[i];
        output.name.assign(info->name, size_t(std::max(info->nameLen, 0)));
        output.crtc = info->crtc;
        output.connected = info->connection == RR_Connected ||
                           (info->connection == RR_UnknownConnection && info->crtc != None);
        // Only modes the server describes; the preferred ones come first.
        for (int m = 0; m < info->nmode; ++m) {
            if (!layout.modes.count(info->modes[m]))
                continue;
            output.modes.push_back(info->modes[m]);
            if (m < info->npreferred)
                ++output.preferredModes;
        }
        XRRFreeOutputInfo(info);
        state->outputs.push_back(std::move(output));
    }

    for (Output& output : state->outputs) {
        if (output.crtc == None || layout.crtcs.count(output.crtc))
            continue;
        XRRCrtcInfo* info = XRRGetCrtcInfo(m_display, resources, output.crtc);
        if (!info) {
            output.crtc = None;
            continue;
        }
        layout.addCrtc(output.crtc, *info);
        XRRFreeCrtcInfo(info);
    }
    // An output whose CRTC shows nothing is not driven.
    for (Output& output : state->outputs) {
        auto crtc = layout.crtcs.find(output.crtc);
        if (output.crtc != None && (crtc == layout.crtcs.end() || crtc->second.mode == None))
            output.crtc = None;
    }
    state->primary = XRRGetOutputPrimary(m_display, root);
    if (m_broken)
        return false;

    if (m_savedWidth == 0) {
        m_savedWidth = unsigned(DisplayWidth(m_display, DefaultScreen(m_display)));
        m_savedHeight = unsigned(DisplayHeight(m_display, DefaultScreen(m_display)));
    }
    for (const Output& output : state->outputs)
        if (!m_saved.count(output.id))
            m_saved[output.id] = layout.current(output.crtc);
    m_state = std::move(state);
    m_stale = false;
    return true;
}

std::vector<OutputSnapshot::Output> XRandrBackend::rowsOf(const ServerState& state)
{
    const RandrLayout& layout = state.layout;
    std::optional<std::vector<SysfsReader::Connector>> connectors;
    std::vector<OutputSnapshot::Output> rows;
    for (const Output& output : state.outputs) {
        OutputSnapshot::Output row;
        row.adapter.deviceName = output.name;
        row.adapter.deviceString = "RandR output " + output.name;
        row.adapter.deviceId = "RANDR\\" + output.name;
        if (output.id == state.primary)
            row.adapter.stateFlags |= DisplayDevice::PrimaryDevice;
        row.connected = output.connected;

        const auto crtc = layout.crtcs.find(output.crtc);
        if (output.crtc != None && crtc != layout.crtcs.end()) {
            row.shownIn = monitorName(crtc->second);
            if (row.shownIn == output.name) {
                layout.rectangle(output.crtc, row.rect);
                const std::vector<unsigned long>& shown = crtc->second.outputs;
                row.primary = std::find(shown.begin(), shown.end(), state.primary) != shown.end();
            }
        }

        // Modes as the output shows them: turned with its CRTC.
        const unsigned short rotation = rotationOf(output);
        for (size_t i = 0; i < output.modes.size(); ++i) {
            ModeRecord record;
            layout.modeRecord(output.modes[i], rotation, depth(), record);
            OutputSnapshot::Mode mode;
            mode.width = record.width;
            mode.height = record.height;
            mode.bitsPerPixel = record.bitsPerPixel;
            mode.exactRefreshHz = layout.modes.at(output.modes[i]).refreshHz;
            mode.refreshMilliHertz = uint32_t(std::lround(mode.exactRefreshHz * 1000));
            mode.preferred = int(i) < output.preferredModes;
            mode.key = std::to_string(output.modes[i]);
            row.modes.push_back(mode);
            if (!row.shownIn.empty() && output.modes[i] == crtc->second.mode)
                row.current = i;
        }

        if (output.connected) {
            auto identity = m_identities.find(output.id);
            if (identity == m_identities.end()) {
                Identity read;
                read.edid = readEdid(output.id);
                // The DRM connector that shows the same EDID is the one behind
                // this output, and its card has the driver.
                if (!read.edid.empty()) {
                    if (!connectors)
                        connectors = SysfsReader::connectors(sysfsRoot());
                    for (const SysfsReader::Connector& connector : *connectors)
                        if (connector.edid == read.edid) {
                            read.card = connector.card;
                            break;
                        }
                }
                identity = m_identities.emplace(output.id, std::move(read)).first;
            }
            row.edid = identity->second.edid;
            row.card = identity->second.card;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

const XRandrBackend::Output* XRandrBackend::findOutput(const std::string& name) const
{
    for (const Output& output : m_state->outputs)
        if (output.name == name)
            return &output;
    return nullptr;
}

const XRandrBackend::Output* XRandrBackend::findOutput(unsigned long id) const
{
    for (const Output& output : m_state->outputs)
        if (output.id == id)
            return &output;
    return nullptr;
}

uint32_t XRandrBackend::depth() const
{
    return uint32_t(DefaultDepth(m_display, DefaultScreen(m_display)));
}

std::vector<uint8_t> XRandrBackend::readEdid(unsigned long output)
{
    std::vector<uint8_t> edid;
    for (Atom atom : m_edidAtoms) {
        if (atom == None)
            continue;
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        const int status =
            XRRGetOutputProperty(m_display, output, atom, 0, MaxEdidLongs, False, False,
                                 AnyPropertyType, &type, &format, &count, &remaining, &data);
        if (status == Success && type == XA_INTEGER && format == 8 && count > 0 && data)
            edid.assign(data, data + count);
        if (data)
            XFree(data);
        if (!edid.empty())
            break;
    }
    // Shorter than a base block is no EDID at all.
    if (edid.size() < 128)
        edid.clear();
    return edid;
}

std::string XRandrBackend::monitorName(const RandrLayout::Crtc& crtc) const
{
    // The first output in the server's order: stable while the layout is.
    const Output* first = nullptr;
    for (const Output& output : m_state->outputs) {
        if (std::find(crtc.outputs.begin(), crtc.outputs.end(), output.id) == crtc.outputs.end())
            continue;
        if (output.connected)
            return output.name;
        if (!first)
            first = &output;
    }
    return first ? first->name : std::string();
}

unsigned short XRandrBackend::rotationOf(const Output& output) const
{
    auto crtc = m_state->layout.crtcs.find(output.crtc);
    if (output.crtc == None || crtc == m_state->layout.crtcs.end())
        return RR_Rotate_0;
    return crtc->second.rotation;
}

int32_t XRandrBackend::changeDisplaySettings(const std::string& outputName, const ModeRecord* mode)
{
    XErrorTrap trap(m_display);
    // The change starts from the server as it is now.
    refresh();
    if (!isValid() || !m_state)
        return ChangeFailed;
    const Output* output = findOutput(outputName);
    if (!output)
        return ChangeFailed;
    const int32_t result = mode ? applyMode(*output, *mode) : restore(*output);
    // Whatever happened, the snapshot follows the server.
    m_stale = true;
    refresh();
    return result;
}

int32_t XRandrBackend::applyMode(const Output& output, const ModeRecord& mode)
{
    // The record's own mode when the output still lists it, else a listed
    // mode with the same figures, compared as the module reads them: turned
    // with the output.
    const std::shared_ptr<const OutputSnapshot> outputs = snapshot();
    const OutputSnapshot::Output* row = outputs->find(output.name);
    const std::optional<size_t> index = row ? outputs->modeIndex(*row, mode) : std::nullopt;
    if (!index || *index >= output.modes.size())
        return ChangeBadMode;
    const unsigned long modeId = output.modes[*index];

    // An output the server does not drive has no mode to switch.
    if (output.crtc == None)
        return ChangeFailed;
    // Position, rotation, reflection and the outputs shown stay.
    CrtcSetting setting = m_state->layout.current(output.crtc);
    setting.mode = modeId;
    if (changeCrtcs({setting}, false))
        return ChangeSuccessful;
    // Taking a mode off an output sends no notification; when the server
    // refused, read the output again to tell an unlisted mode from a failure.
    const unsigned long outputId = output.id;
    m_stale = true;
    refresh();
    const Output* now = m_state ? findOutput(outputId) : nullptr;
    if (now && std::find(now->modes.begin(), now->modes.end(), modeId) == now->modes.end())
        return ChangeBadMode;
    return ChangeFailed;
}

int32_t XRandrBackend::restore(const Output& output)
{
    auto saved = m_saved.find(output.id);
    if (saved == m_saved.end())
        return ChangeFailed;
    std::vector<CrtcSetting> settings;
    if (output.crtc != None && output.crtc != saved->second.crtc) {
        CrtcSetting off = m_state->layout.current(output.crtc);
        off.outputs.erase(std::remove(off.outputs.begin(), off.outputs.end(), output.id),
                          off.outputs.end());
        if (off.outputs.empty())
            off = {off.crtc, None, 0, 0, RR_Rotate_0, {}};
        settings.push_back(off);
    }
    if (saved->second.crtc != None) {
        if (!m_state->layout.modes.count(saved->second.mode))
            return ChangeFailed;
        CrtcSetting on = saved->second;
        on.outputs.clear();
        for (unsigned long id : saved->second.outputs)
            if (findOutput(id))
                on.outputs.push_back(id);
        settings.push_back(on);
    }
    return changeCrtcs(settings, true) ? ChangeSuccessful : ChangeFailed;
}

bool XRandrBackend::changeCrtcs(const std::vector<CrtcSetting>& settings, bool shrinkBack)
{
    const int screenNumber = DefaultScreen(m_display);
    RandrLayout::Screen screen;
    screen.width = unsigned(DisplayWidth(m_display, screenNumber));
    screen.height = unsigned(DisplayHeight(m_display, screenNumber));
    int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
    if (!XRRGetScreenSizeRange(m_display, DefaultRootWindow(m_display), &minWidth, &minHeight,
                               &maxWidth, &maxHeight))
        return false;
    screen.minWidth = unsigned(std::max(minWidth, 0));
    screen.minHeight = unsigned(std::max(minHeight, 0));
    screen.maxWidth = unsigned(std::max(maxWidth, 0));
    screen.maxHeight = unsigned(std::max(maxHeight, 0));
    const std::pair<unsigned, unsigned> firstSeen(m_savedWidth, m_savedHeight);
    const RandrLayout::Requests requests{
        [this](unsigned width, unsigned height) { return setScreenSize(width, height); },
        [this](const CrtcSetting& setting) { return setCrtc(setting); }};

    // Nobody else reconfigures the screen while it is half changed.
    XGrabServer(m_display);
    const bool ok =
        m_state->layout.change(settings, screen, shrinkBack ? &firstSeen : nullptr, requests);
    XUngrabServer(m_display);
    XSync(m_display, False);
    return ok && !m_broken;
}

bool XRandrBackend::setCrtc(const CrtcSetting& setting)
{
    XErrorTrap trap(m_display);
    std::vector<RROutput> outputs(setting.outputs.begin(), setting.outputs.end());
    const Status status = XRRSetCrtcConfig(m_display, m_state->resources, setting.crtc, CurrentTime,
                                           setting.x, setting.y, setting.mode, setting.rotation,
                                           outputs.data(), int(outputs.size()));
    return status == RRSetConfigSuccess && !trap.failed() && !m_broken;
}

bool XRandrBackend::setScreenSize(unsigned width, unsigned height)
{
    const int screen = DefaultScreen(m_display);
    const int currentWidth = DisplayWidth(m_display, screen);
    const int currentHeight = DisplayHeight(m_display, screen);
    // Keep the physical size in step so the resolution in dots per inch stays.
    const int mmWidth =
        currentWidth > 0
            ? int(std::lround(double(DisplayWidthMM(m_display, screen)) * width / currentWidth))
            : int(width * 254 / 960);
    const int mmHeight =
        currentHeight > 0
            ? int(std::lround(double(DisplayHeightMM(m_display, screen)) * height / currentHeight))
            : int(height * 254 / 960);
    XErrorTrap trap(m_display);
    XRRSetScreenSize(m_display, DefaultRootWindow(m_display), int(width), int(height),
                     std::max(mmWidth, 1), std::max(mmHeight, 1));
    trap.sync();
    if (trap.failed() || m_broken)
        return false;
    // Xlib learns the new size only from the notification; keep it current now.
    ScreenOfDisplay(m_display, screen)->width = int(width);
    ScreenOfDisplay(m_display, screen)->height = int(height);
    ScreenOfDisplay(m_display, screen)->mwidth = std::max(mmWidth, 1);
    ScreenOfDisplay(m_display, screen)->mheight = std::max(mmHeight, 1);
    return true;
}
