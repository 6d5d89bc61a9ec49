#pragma once

#include <cstdint>
#include <memory>

struct kde_output_management_v2;
class KdeOutputConfiguration;

// The compositor's output management: makes the configurations through
// which outputs are changed. Owns the protocol object.
class KdeOutputManagement
{
public:
    explicit KdeOutputManagement(kde_output_management_v2* management);
    ~KdeOutputManagement();

    KdeOutputManagement(const KdeOutputManagement&) = delete;
    KdeOutputManagement& operator=(const KdeOutputManagement&) = delete;

    std::unique_ptr<KdeOutputConfiguration> createConfiguration();

private:
    kde_output_management_v2* m_management;
};
