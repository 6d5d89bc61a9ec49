#include "display/platform/x11/RandrLayout.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cmath>

void RandrLayout::addMode(const XRRModeInfo& info)
{
    const double hz = exactRefreshRate(info.dotClock, info.hTotal, info.vTotal, info.modeFlags);
    modes[info.id] = {info.id, info.width, info.height, uint32_t(std::lround(hz)), hz};
}

void RandrLayout::addCrtc(unsigned long id, const XRRCrtcInfo& info)
{
    Crtc crtc;
    crtc.id = id;
    crtc.x = info.x;
    crtc.y = info.y;
    crtc.width = info.width;
    crtc.height = info.height;
    crtc.mode = info.mode;
    crtc.rotation = info.rotation;
    if (info.outputs && info.noutput > 0)
        crtc.outputs.assign(info.outputs, info.outputs + info.noutput);
    crtcs[id] = std::move(crtc);
}

bool RandrLayout::isSideways(unsigned short rotation)
{
    return rotation & (RR_Rotate_90 | RR_Rotate_270);
}

double RandrLayout::exactRefreshRate(unsigned long dotClock, unsigned hTotal, unsigned vTotal,
                                     unsigned long modeFlags)
{
    double lines = vTotal;
    if (modeFlags & RR_DoubleScan)
        lines *= 2;
    if (modeFlags & RR_Interlace)
        lines /= 2;
    if (hTotal == 0 || lines <= 0)
        return 0;
    return double(dotClock) / (double(hTotal) * lines);
}

uint32_t RandrLayout::refreshRate(unsigned long dotClock, unsigned hTotal, unsigned vTotal,
                                  unsigned long modeFlags)
{
    return uint32_t(std::lround(exactRefreshRate(dotClock, hTotal, vTotal, modeFlags)));
}

bool RandrLayout::rectangle(unsigned long crtcId, Rect& rect) const
{
    auto crtc = crtcs.find(crtcId);
    if (crtc == crtcs.end() || crtc->second.mode == None)
        return false;
    // The server already gives the CRTC's extent turned (and transformed).
    const Crtc& c = crtc->second;
    rect = {c.x, c.y, c.x + int32_t(c.width), c.y + int32_t(c.height)};
    return true;
}

bool RandrLayout::modeRecord(unsigned long modeId, unsigned short rotation, uint32_t depth,
                             ModeRecord& record) const
{
    auto mode = modes.find(modeId);
    if (modeId == None || mode == modes.end())
        return false;
    const bool sideways = isSideways(rotation);
    record = {};
    record.width = sideways ? mode->second.height : mode->second.width;
    record.height = sideways ? mode->second.width : mode->second.height;
    record.bitsPerPixel = depth;
    record.frequency = mode->second.frequency;
    record.nativeId = modeId;
    return true;
}

RandrLayout::CrtcSetting RandrLayout::current(unsigned long crtcId) const
{
    CrtcSetting setting;
    setting.crtc = crtcId;
    auto crtc = crtcs.find(crtcId);
    if (crtc != crtcs.end() && crtc->second.mode != None) {
        setting.mode = crtc->second.mode;
        setting.x = crtc->second.x;
        setting.y = crtc->second.y;
        setting.rotation = crtc->second.rotation;
        setting.outputs = crtc->second.outputs;
    }
    return setting;
}

std::pair<unsigned, unsigned> RandrLayout::extent(const std::vector<CrtcSetting>& settings) const
{
    std::map<unsigned long, CrtcSetting> layout;
    for (const auto& [id, crtc] : crtcs)
        layout[id] = current(id);
    for (const CrtcSetting& setting : settings)
        layout[setting.crtc] = setting;
    long right = 0;
    long bottom = 0;
    for (const auto& [id, setting] : layout) {
        auto mode = modes.find(setting.mode);
        if (setting.mode == None || mode == modes.end())
            continue;
        const bool sideways = isSideways(setting.rotation);
        right = std::max(right, long(setting.x) +
                                    long(sideways ? mode->second.height : mode->second.width));
        bottom = std::max(bottom, long(setting.y) +
                                      long(sideways ? mode->second.width : mode->second.height));
    }
    return {unsigned(std::max(right, 0L)), unsigned(std::max(bottom, 0L))};
}

bool RandrLayout::change(const std::vector<CrtcSetting>& settings, const Screen& screen,
                         const std::pair<unsigned, unsigned>* shrinkTo,
                         const Requests& requests) const
{
    const auto [right, bottom] = extent(settings);
    if (right > screen.maxWidth || bottom > screen.maxHeight)
        return false;
    const unsigned grownWidth = std::max(screen.width, right);
    const unsigned grownHeight = std::max(screen.height, bottom);

    bool ok = true;
    bool grown = false;
    if (grownWidth != screen.width || grownHeight != screen.height) {
        ok = requests.setScreenSize(grownWidth, grownHeight);
        grown = ok;
    }
    std::vector<CrtcSetting> undo;
    for (const CrtcSetting& setting : settings) {
        if (!ok)
            break;
        const CrtcSetting before = current(setting.crtc);
        ok = requests.setCrtc(setting);
        if (ok)
            undo.push_back(before);
    }
    bool resized = grown;
    if (ok && shrinkTo) {
        const unsigned width = std::max({shrinkTo->first, right, screen.minWidth});
        const unsigned height = std::max({shrinkTo->second, bottom, screen.minHeight});
        if (width != grownWidth || height != grownHeight) {
            ok = requests.setScreenSize(width, height);
            resized = resized || ok;
        }
    }
    if (!ok) {
        for (auto it = undo.rbegin(); it != undo.rend(); ++it)
            requests.setCrtc(*it);
        if (resized)
            requests.setScreenSize(screen.width, screen.height);
    }
    return ok;
}
