#pragma once

#include "display/DisplayMode.h"
#include "display/platform/ModeRecord.h"
#include "display/platform/MonitorInfo.h"

// A snapshot of one mode of an output: the platform's mode record together
// with the information of the monitor the output shows. It never re-reads the
// platform; apply() hands the whole record back to it.
class DisplayModeWindows : public DisplayMode
{
public:
    DisplayModeWindows(const MonitorInfo& monitorInfo, const ModeRecord& mode);
    ~DisplayModeWindows() override = default;

    int32_t apply() override;
    uint32_t width() override { return m_mode.width; }
    uint32_t height() override { return m_mode.height; }
    int32_t resolutionText(std::string& text) override;
    double magnitude() override;
    bool equals(const DisplayMode* other) override;
    DisplayMode* clone() override;

    const MonitorInfo& monitorInfo() const { return m_monitorInfo; }
    const ModeRecord& modeRecord() const { return m_mode; }

private:
    MonitorInfo m_monitorInfo;
    ModeRecord m_mode;
};
