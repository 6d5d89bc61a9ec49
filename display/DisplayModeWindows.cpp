#include "display/DisplayModeWindows.h"

#include "display/platform/DisplayPlatform.h"

DisplayModeWindows::DisplayModeWindows(const MonitorInfo& monitorInfo, const ModeRecord& mode)
    : m_monitorInfo(monitorInfo), m_mode(mode)
{}

int32_t DisplayModeWindows::apply()
{
    // A temporary switch: it lasts until the settings change again and is not
    // stored as the output's settings.
    switch (DisplayPlatform::backend().changeDisplaySettings(m_monitorInfo.device, &m_mode)) {
    case DisplayBackend::ChangeSuccessful:
        return 0;
    case DisplayBackend::ChangeBadMode:
        return 1;
    default:
        return 2;
    }
}

int32_t DisplayModeWindows::resolutionText(std::string& text)
{
    text = std::to_string(m_mode.width) + "x" + std::to_string(m_mode.height);
    return 0;
}

double DisplayModeWindows::magnitude()
{
    // In floating point so that large modes (3840x2160 at 32 bits, 60 Hz)
    // do not wrap around as a 32-bit product would.
    return double(m_mode.frequency) * double(m_mode.height) * double(m_mode.width) *
           double(m_mode.bitsPerPixel);
}

bool DisplayModeWindows::equals(const DisplayMode* other)
{
    const auto* mode = dynamic_cast<const DisplayModeWindows*>(other);
    if (!mode)
        return false;
    return m_mode.width == mode->m_mode.width && m_mode.height == mode->m_mode.height &&
           m_mode.bitsPerPixel == mode->m_mode.bitsPerPixel &&
           m_mode.frequency == mode->m_mode.frequency;
}

DisplayMode* DisplayModeWindows::clone()
{
    return new DisplayModeWindows(m_monitorInfo, m_mode);
}
