#pragma once

#include <cstdint>

struct kde_output_configuration_v2;
struct kde_output_device_v2;
struct kde_output_device_mode_v2;
class WaylandConnection;

// One configuration sent to the compositor: the changes it carries are
// applied together or not at all, and the compositor answers "applied" or
// "failed". Owns the protocol object.
class KdeOutputConfiguration
{
public:
    enum Outcome { Applied, Failed, NoAnswer };

    explicit KdeOutputConfiguration(kde_output_configuration_v2* configuration);
    ~KdeOutputConfiguration();

    KdeOutputConfiguration(const KdeOutputConfiguration&) = delete;
    KdeOutputConfiguration& operator=(const KdeOutputConfiguration&) = delete;

    void setEnabled(kde_output_device_v2* device, bool enabled);
    void setMode(kde_output_device_v2* device, kde_output_device_mode_v2* mode);
    void setTransform(kde_output_device_v2* device, int32_t transform);
    void setPosition(kde_output_device_v2* device, int32_t x, int32_t y);
    void setScale(kde_output_device_v2* device, double scale);
    // The output order: priority 1 is the primary output (management v3).
    void setPriority(kde_output_device_v2* device, uint32_t priority);
    // The primary output alone (management v2).
    void setPrimary(kde_output_device_v2* device);

    // Sends the configuration and waits at most timeoutMs for the answer.
    // The caller holds the connection's mutex.
    Outcome apply(WaylandConnection& connection, int timeoutMs);

private:
    kde_output_configuration_v2* m_configuration;
    int m_answer = -1; // Applied or Failed once answered
};
