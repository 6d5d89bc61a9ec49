#include "display/platform/x11/XRandrBackend.h"

#include "display/platform/MonitorIdentity.h"
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

XRandrBackend::Snapshot::~Snapshot()
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
    : m_display(display), m_displayName(std::move(displayName))
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
    m_snapshot.reset();
    XErrorTrap trap(m_display);
    XCloseDisplay(m_display);
}

std::string XRandrBackend::description() const
{
    return "RandR " + std::to_string(m_major) + "." + std::to_string(m_minor) + " on " +
           m_displayName;
}

void XRandrBackend::setDrmRoots(const std::string& sysfsRoot, const std::string& deviceRoot)
{
    m_drmSysfsRoot = sysfsRoot;
    m_drmDeviceRoot = deviceRoot;
    if (m_snapshot)
        for (Output& output : m_snapshot->outputs)
            output.driverVersion.reset();
}

// Brings the cached state up to date. With a round trip every change
// notification the server sent before it has arrived; without one, only
// those already received count, which is enough for the later steps of an
// enumeration whose first step made the round trip.
bool XRandrBackend::update(bool roundTrip)
{
    if (m_broken)
        return false;
    if (roundTrip || !m_snapshot)
        XSync(m_display, False);
    if (m_broken)
        return false;
    drainEvents();
    if (m_stale || !m_snapshot)
        return buildSnapshot();
    return true;
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
            if (notify.subtype != RRNotify_OutputProperty) {
                m_stale = true;
            } else if (m_snapshot) {
                const auto& property = reinterpret_cast<const XRROutputPropertyNotifyEvent&>(event);
                if (Output* output = findOutput(property.output)) {
                    output->edid.reset();
                    output->driverVersion.reset();
                }
            }
        }
    }
}

bool XRandrBackend::buildSnapshot()
{
    m_snapshot.reset();
    auto snapshot = std::make_unique<Snapshot>();
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
    snapshot->resources = resources;

    RandrLayout& layout = snapshot->layout;
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
        output.crtcs.assign(info->crtcs, info->crtcs + info->ncrtc);
        output.modes.assign(info->modes, info->modes + info->nmode);
        output.preferredModes = info->npreferred;
        XRRFreeOutputInfo(info);
        snapshot->outputs.push_back(std::move(output));
    }

    for (Output& output : snapshot->outputs) {
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
    for (Output& output : snapshot->outputs) {
        auto crtc = layout.crtcs.find(output.crtc);
        if (crtc != layout.crtcs.end() && crtc->second.mode == None)
            output.crtc = None;
    }
    snapshot->primary = XRRGetOutputPrimary(m_display, root);
    if (m_broken)
        return false;

    if (m_savedWidth == 0) {
        m_savedWidth = unsigned(DisplayWidth(m_display, DefaultScreen(m_display)));
        m_savedHeight = unsigned(DisplayHeight(m_display, DefaultScreen(m_display)));
    }
    for (const Output& output : snapshot->outputs) {
        if (m_saved.count(output.id))
            continue;
        CrtcSetting saved;
        if (layout.crtcs.count(output.crtc))
            saved = layout.current(output.crtc);
        m_saved[output.id] = saved;
    }
    m_snapshot = std::move(snapshot);
    m_stale = false;
    return true;
}

XRandrBackend::Output* XRandrBackend::findOutput(const std::string& name)
{
    for (Output& output : m_snapshot->outputs)
        if (output.name == name)
            return &output;
    return nullptr;
}

XRandrBackend::Output* XRandrBackend::findOutput(unsigned long id)
{
    for (Output& output : m_snapshot->outputs)
        if (output.id == id)
            return &output;
    return nullptr;
}

int XRandrBackend::outputIndex(unsigned long id) const
{
    for (size_t i = 0; i < m_snapshot->outputs.size(); ++i)
        if (m_snapshot->outputs[i].id == id)
            return int(i);
    return INT_MAX;
}

uint32_t XRandrBackend::depth() const
{
    return uint32_t(DefaultDepth(m_display, DefaultScreen(m_display)));
}

const std::vector<uint8_t>& XRandrBackend::edidOf(Output& output)
{
    if (output.edid)
        return *output.edid;
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
            XRRGetOutputProperty(m_display, output.id, atom, 0, MaxEdidLongs, False, False,
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
    output.edid = std::move(edid);
    return *output.edid;
}

const std::optional<std::string>& XRandrBackend::driverVersionOf(Output& output)
{
    if (output.driverVersion)
        return *output.driverVersion;
    std::optional<std::string> version;
    // The DRM connector that shows the same EDID is the one behind this output.
    const std::vector<uint8_t>& edid = edidOf(output);
    if (!edid.empty()) {
        for (const SysfsReader::Connector& connector : SysfsReader::connectors(m_drmSysfsRoot)) {
            if (connector.edid == edid) {
                version =
                    SysfsReader::driverVersion(m_drmSysfsRoot, m_drmDeviceRoot, connector.card);
                break;
            }
        }
    }
    output.driverVersion = version;
    return *output.driverVersion;
}

std::string XRandrBackend::monitorName(const RandrLayout::Crtc& crtc) const
{
    // The first output in the server's order: stable while the layout is.
    const Output* first = nullptr;
    for (const Output& output : m_snapshot->outputs) {
        if (std::find(crtc.outputs.begin(), crtc.outputs.end(), output.id) == crtc.outputs.end())
            continue;
        if (output.connected)
            return output.name;
        if (!first)
            first = &output;
    }
    return first ? first->name : std::string();
}

std::vector<const XRandrBackend::Output*>
XRandrBackend::attachedOutputs(const Output& adapter) const
{
    std::vector<const Output*> attached;
    if (adapter.crtc != None) {
        for (const Output& output : m_snapshot->outputs)
            if (output.crtc == adapter.crtc && output.connected)
                attached.push_back(&output);
    } else if (adapter.connected) {
        attached.push_back(&adapter);
    }
    return attached;
}

bool XRandrBackend::enumDisplayMonitors(const MonitorCallback& callback)
{
    std::vector<std::pair<int, unsigned long>> monitors;
    {
        XErrorTrap trap(m_display);
        if (!update())
            return false;
        for (const auto& [id, crtc] : m_snapshot->layout.crtcs) {
            if (crtc.mode == None || crtc.outputs.empty())
                continue;
            int first = INT_MAX;
            for (unsigned long output : crtc.outputs)
                first = std::min(first, outputIndex(output));
            monitors.emplace_back(first, id);
        }
    }
    std::sort(monitors.begin(), monitors.end());
    // The callback asks further questions, which may refresh the cache.
    for (const auto& monitor : monitors)
        if (!callback(MonitorHandle(monitor.second)))
            break;
    return true;
}

bool XRandrBackend::getMonitorInfo(MonitorHandle monitor, MonitorInfo& info)
{
    XErrorTrap trap(m_display);
    if (!update())
        return false;
    const RandrLayout& layout = m_snapshot->layout;
    if (!layout.rectangle(monitor, info.rcMonitor))
        return false;
    const RandrLayout::Crtc& crtc = layout.crtcs.at(monitor);
    info.rcWork = info.rcMonitor;
    info.flags = std::find(crtc.outputs.begin(), crtc.outputs.end(), m_snapshot->primary) !=
                         crtc.outputs.end()
                     ? MonitorInfo::PrimaryMonitor
                     : 0;
    info.device = monitorName(crtc);
    return true;
}

bool XRandrBackend::enumDisplayDevices(const char* adapter, uint32_t index, DisplayDevice& device)
{
    XErrorTrap trap(m_display);
    if (!update(index == 0))
        return false;
    if (!adapter) {
        if (index >= m_snapshot->outputs.size())
            return false;
        const Output& output = m_snapshot->outputs[index];
        device = {};
        device.deviceName = output.name;
        device.deviceString = "RandR output " + output.name;
        device.stateFlags = (output.crtc != None ? DisplayDevice::AttachedToDesktop : 0) |
                            (output.id == m_snapshot->primary ? DisplayDevice::PrimaryDevice : 0);
        device.deviceId = "RANDR\\" + output.name;
        return true;
    }
    Output* owner = findOutput(std::string(adapter));
    if (!owner)
        return false;
    const std::vector<const Output*> attached = attachedOutputs(*owner);
    if (index >= attached.size())
        return false;
    Output& output = *findOutput(attached[index]->id);
    const std::vector<uint8_t>& edid = edidOf(output);
    device = {};
    device.deviceName = std::string(adapter) + "\\Monitor" + std::to_string(index);
    device.deviceString = "Monitor on " + output.name;
    device.stateFlags = output.crtc != None ? DisplayDevice::Active : 0;
    device.deviceId = MonitorIdentity::deviceId(MonitorIdentity::modelCode(edid),
                                                unsigned(outputIndex(output.id)));
    return true;
}

bool XRandrBackend::enumDisplaySettings(const std::string& outputName, int32_t modeIndex,
                                        ModeRecord& mode)
{
    XErrorTrap trap(m_display);
    if (!update(modeIndex <= 0))
        return false;
    const Output* output = findOutput(outputName);
    if (!output)
        return false;
    const RandrLayout& layout = m_snapshot->layout;
    unsigned long modeId = None;
    if (modeIndex == CurrentSettings) {
        if (output->crtc == None || !layout.crtcs.count(output->crtc))
            return false;
        modeId = layout.crtcs.at(output->crtc).mode;
    } else if (modeIndex >= 0 && size_t(modeIndex) < output->modes.size()) {
        modeId = output->modes[size_t(modeIndex)];
    }
    // A turned output shows its modes turned: listed and current alike.
    return layout.modeRecord(modeId, rotationOf(*output), depth(), mode);
}

unsigned short XRandrBackend::rotationOf(const Output& output) const
{
    auto crtc = m_snapshot->layout.crtcs.find(output.crtc);
    if (output.crtc == None || crtc == m_snapshot->layout.crtcs.end())
        return RR_Rotate_0;
    return crtc->second.rotation;
}

bool XRandrBackend::presentMonitorDevices(std::vector<MonitorDevice>& devices)
{
    XErrorTrap trap(m_display);
    if (!update())
        return false;
    devices.clear();
    for (size_t i = 0; i < m_snapshot->outputs.size(); ++i) {
        Output& output = m_snapshot->outputs[i];
        if (!output.connected)
            continue;
        const std::vector<uint8_t>& edid = edidOf(output);
        MonitorDevice device;
        device.instanceId =
            MonitorIdentity::instanceId(MonitorIdentity::modelCode(edid), unsigned(i));
        if (!edid.empty())
            device.hardwareKeyValues.push_back({"EDID", edid});
        devices.push_back(std::move(device));
    }
    return !m_broken;
}

bool XRandrBackend::monitorClassDevices(std::vector<MonitorClassDevice>& devices)
{
    XErrorTrap trap(m_display);
    if (!update())
        return false;
    devices.clear();
    for (Output& output : m_snapshot->outputs) {
        if (!output.connected)
            continue;
        const std::string model = MonitorIdentity::modelCode(edidOf(output));
        if (model.empty())
            continue;
        devices.push_back({MonitorIdentity::hardwareId(model), driverVersionOf(output)});
    }
    return !m_broken;
}

bool XRandrBackend::describeDevice(const std::string& outputName, const std::string& monitorDevice,
                                   OutputView& view)
{
    XErrorTrap trap(m_display);
    if (!update())
        return false;
    Output* owner = findOutput(outputName);
    const std::string prefix = outputName + "\\Monitor";
    if (!owner || monitorDevice.compare(0, prefix.size(), prefix) != 0)
        return false;
    // The device's number is its place among the outputs on the adapter's CRTC.
    const std::string number = monitorDevice.substr(prefix.size());
    if (number.empty() || number.size() > 4 ||
        number.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const std::vector<const Output*> attached = attachedOutputs(*owner);
    const size_t index = size_t(std::stoul(number));
    if (index >= attached.size())
        return false;
    Output& output = *findOutput(attached[index]->id);
    const RandrLayout& layout = m_snapshot->layout;

    view.connector = output.name;
    Rect rect;
    if (layout.rectangle(output.crtc, rect)) {
        view.x = rect.left;
        view.y = rect.top;
        view.width = uint32_t(rect.right - rect.left);
        view.height = uint32_t(rect.bottom - rect.top);
    }
    view.primary = output.id == m_snapshot->primary;
    const unsigned long current = layout.current(output.crtc).mode;
    // Modes as the output shows them: turned with its CRTC, like the module's list.
    const unsigned short rotation = rotationOf(output);
    for (size_t i = 0; i < output.modes.size(); ++i) {
        ModeRecord record;
        if (!layout.modeRecord(output.modes[i], rotation, 0, record))
            continue;
        OutputMode mode;
        mode.width = record.width;
        mode.height = record.height;
        const double hz = layout.modes.at(output.modes[i]).refreshHz;
        if (hz > 0)
            mode.refreshHz = OutputView::roundedHz(hz);
        mode.current = current != None && output.modes[i] == current;
        mode.preferred = int(i) < output.preferredModes;
        if (mode.current)
            view.refreshHz = mode.refreshHz;
        view.modes.push_back(mode);
    }
    view.edid = edidOf(output);
    return !m_broken;
}

int32_t XRandrBackend::changeDisplaySettings(const std::string& outputName, const ModeRecord* mode)
{
    XErrorTrap trap(m_display);
    if (!update())
        return ChangeFailed;
    Output* output = findOutput(outputName);
    if (!output)
        return ChangeFailed;
    const int32_t result = mode ? applyMode(*output, *mode) : restore(*output);
    // Whatever happened, the next question reads the server again.
    m_stale = true;
    return result;
}

int32_t XRandrBackend::applyMode(Output& output, const ModeRecord& mode)
{
    if (mode.bitsPerPixel != 0 && mode.bitsPerPixel != depth())
        return ChangeBadMode;
    // The record's own mode when the output still lists it, else a listed
    // mode with the same figures.
    // Compared as the module reads them: turned with the output.
    const RandrLayout& layout = m_snapshot->layout;
    const unsigned short rotation = rotationOf(output);
    unsigned long modeId = None;
    auto matches = [&](unsigned long id) {
        ModeRecord listed;
        return layout.modeRecord(id, rotation, depth(), listed) && listed.width == mode.width &&
               listed.height == mode.height &&
               (mode.frequency == 0 || listed.frequency == mode.frequency);
    };
    for (unsigned long id : output.modes)
        if (id == mode.nativeId && matches(id))
            modeId = id;
    for (size_t i = 0; modeId == None && i < output.modes.size(); ++i)
        if (matches(output.modes[i]))
            modeId = output.modes[i];
    if (modeId == None)
        return ChangeBadMode;

    // An output the server does not drive has no mode to switch.
    if (output.crtc == None)
        return ChangeFailed;
    // Position, rotation, reflection and the outputs shown stay.
    CrtcSetting setting = layout.current(output.crtc);
    setting.mode = modeId;
    if (changeCrtcs({setting}, false))
        return ChangeSuccessful;
    // Taking a mode off an output sends no notification; when the server
    // refused, read the output again to tell an unlisted mode from a failure.
    const unsigned long outputId = output.id;
    m_stale = true;
    if (!update())
        return ChangeFailed;
    const Output* now = findOutput(outputId);
    if (now && std::find(now->modes.begin(), now->modes.end(), modeId) == now->modes.end())
        return ChangeBadMode;
    return ChangeFailed;
}

int32_t XRandrBackend::restore(Output& output)
{
    auto saved = m_saved.find(output.id);
    if (saved == m_saved.end())
        return ChangeFailed;
    std::vector<CrtcSetting> settings;
    if (output.crtc != None && output.crtc != saved->second.crtc) {
        CrtcSetting off = m_snapshot->layout.current(output.crtc);
        off.outputs.erase(std::remove(off.outputs.begin(), off.outputs.end(), output.id),
                          off.outputs.end());
        if (off.outputs.empty())
            off = {off.crtc, None, 0, 0, RR_Rotate_0, {}};
        settings.push_back(off);
    }
    if (saved->second.crtc != None) {
        if (!m_snapshot->layout.modes.count(saved->second.mode))
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
        m_snapshot->layout.change(settings, screen, shrinkBack ? &firstSeen : nullptr, requests);
    XUngrabServer(m_display);
    XSync(m_display, False);
    return ok && !m_broken;
}

bool XRandrBackend::setCrtc(const CrtcSetting& setting)
{
    XErrorTrap trap(m_display);
    std::vector<RROutput> outputs(setting.outputs.begin(), setting.outputs.end());
    const Status status = XRRSetCrtcConfig(m_display, m_snapshot->resources, setting.crtc,
                                           CurrentTime, setting.x, setting.y, setting.mode,
                                           setting.rotation, outputs.data(), int(outputs.size()));
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
