#include "display/platform/kde/KdeOutputDeviceMode.h"

#include "kde-output-device-v2-client-protocol.h"

KdeOutputDeviceMode::KdeOutputDeviceMode(kde_output_device_mode_v2* mode) : m_mode(mode)
{
    static const kde_output_device_mode_v2_listener listener = {
        [](void* data, kde_output_device_mode_v2*, int32_t width, int32_t height) {
            auto* self = static_cast<KdeOutputDeviceMode*>(data);
            self->m_width = width;
            self->m_height = height;
        },
        [](void* data, kde_output_device_mode_v2*, int32_t refresh) {
            static_cast<KdeOutputDeviceMode*>(data)->m_refresh = refresh;
        },
        [](void* data, kde_output_device_mode_v2*) {
            static_cast<KdeOutputDeviceMode*>(data)->m_preferred = true;
        },
        [](void* data, kde_output_device_mode_v2*) {
            static_cast<KdeOutputDeviceMode*>(data)->m_removed = true;
        },
    };
    kde_output_device_mode_v2_add_listener(m_mode, &listener, this);
}

KdeOutputDeviceMode::~KdeOutputDeviceMode()
{
    kde_output_device_mode_v2_destroy(m_mode);
}
