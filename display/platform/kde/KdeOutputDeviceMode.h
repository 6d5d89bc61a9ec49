#pragma once

#include <cstdint>

struct kde_output_device_mode_v2;

// One mode an output device offers, as the compositor describes it: size in
// pixels of the unturned panel, refresh rate in millihertz, whether it is the
// panel's preferred mode. Owns the protocol object.
class KdeOutputDeviceMode
{
public:
    explicit KdeOutputDeviceMode(kde_output_device_mode_v2* mode);
    ~KdeOutputDeviceMode();

    KdeOutputDeviceMode(const KdeOutputDeviceMode&) = delete;
    KdeOutputDeviceMode& operator=(const KdeOutputDeviceMode&) = delete;

    kde_output_device_mode_v2* handle() const { return m_mode; }
    int32_t width() const { return m_width; }
    int32_t height() const { return m_height; }
    int32_t refreshMilliHertz() const { return m_refresh; }
    bool preferred() const { return m_preferred; }
    // The compositor no longer offers the mode; it must not be applied.
    bool removed() const { return m_removed; }

private:
    kde_output_device_mode_v2* m_mode;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_refresh = 0;
    bool m_preferred = false;
    bool m_removed = false;
};
