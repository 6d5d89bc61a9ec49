#include "display/platform/kde/KdeOutputManagement.h"

#include "display/platform/kde/KdeOutputConfiguration.h"

#include "kde-output-management-v2-client-protocol.h"

KdeOutputManagement::KdeOutputManagement(kde_output_management_v2* management)
    : m_management(management)
{}

KdeOutputManagement::~KdeOutputManagement()
{
    kde_output_management_v2_destroy(m_management);
}

std::unique_ptr<KdeOutputConfiguration> KdeOutputManagement::createConfiguration()
{
    kde_output_configuration_v2* configuration =
        kde_output_management_v2_create_configuration(m_management);
    if (!configuration)
        return nullptr;
    return std::make_unique<KdeOutputConfiguration>(configuration);
}
