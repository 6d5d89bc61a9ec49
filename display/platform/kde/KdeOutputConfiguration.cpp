#include "display/platform/kde/KdeOutputConfiguration.h"

#include "display/platform/kde/WaylandConnection.h"

#include "kde-output-management-v2-client-protocol.h"

KdeOutputConfiguration::KdeOutputConfiguration(kde_output_configuration_v2* configuration)
    : m_configuration(configuration)
{
    static const kde_output_configuration_v2_listener listener = {
        [](void* data, kde_output_configuration_v2*) {
            static_cast<KdeOutputConfiguration*>(data)->m_answer = Applied;
        },
        [](void* data, kde_output_configuration_v2*) {
            static_cast<KdeOutputConfiguration*>(data)->m_answer = Failed;
        },
    };
    kde_output_configuration_v2_add_listener(m_configuration, &listener, this);
}

KdeOutputConfiguration::~KdeOutputConfiguration()
{
    kde_output_configuration_v2_destroy(m_configuration);
}

void KdeOutputConfiguration::setEnabled(kde_output_device_v2* device, bool enabled)
{
    kde_output_configuration_v2_enable(m_configuration, device, enabled ? 1 : 0);
}

void KdeOutputConfiguration::setMode(kde_output_device_v2* device, kde_output_device_mode_v2* mode)
{
    kde_output_configuration_v2_mode(m_configuration, device, mode);
}

void KdeOutputConfiguration::setTransform(kde_output_device_v2* device, int32_t transform)
{
    kde_output_configuration_v2_transform(m_configuration, device, transform);
}

void KdeOutputConfiguration::setPosition(kde_output_device_v2* device, int32_t x, int32_t y)
{
    kde_output_configuration_v2_position(m_configuration, device, x, y);
}

void KdeOutputConfiguration::setScale(kde_output_device_v2* device, double scale)
{
    kde_output_configuration_v2_scale(m_configuration, device, wl_fixed_from_double(scale));
}

void KdeOutputConfiguration::setPriority(kde_output_device_v2* device, uint32_t priority)
{
    kde_output_configuration_v2_set_priority(m_configuration, device, priority);
}

void KdeOutputConfiguration::setPrimary(kde_output_device_v2* device)
{
    kde_output_configuration_v2_set_primary_output(m_configuration, device);
}

KdeOutputConfiguration::Outcome KdeOutputConfiguration::apply(WaylandConnection& connection,
                                                              int timeoutMs)
{
    kde_output_configuration_v2_apply(m_configuration);
    if (!connection.dispatchUntil([this]() { return m_answer >= 0; }, timeoutMs))
        return NoAnswer;
    return Outcome(m_answer);
}
