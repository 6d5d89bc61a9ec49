#include "display/DisplayInterfaceComponent.h"

#include "display/DisplayMode.h"
#include "display/Edid.h"
#include "module/Keys.h"

DisplayInterfaceComponent::DisplayInterfaceComponent(const std::string& componentId)
    : SystemComponent(componentId)
{}

void DisplayInterfaceComponent::collectProperties()
{
    std::vector<Property>& properties = m_info.properties;
    properties.clear();
    m_info.propertyMap.clear();
    m_groups.clear();

    properties.push_back({Keys::UDI, m_componentId});
    m_info.name = Keys::GENERIC_DISPLAY;
    // Only the last character: dpy12 shows as 2.
    if (!m_componentId.empty())
        properties.push_back({Keys::DISPLAY_INDEX, m_componentId.substr(m_componentId.size() - 1)});

    DisplayMode* mode = nullptr;
    std::string resolution;
    if (currentMode(mode) == 0 && mode->resolutionText(resolution) == 0)
        properties.push_back({Keys::CURRENT_RESOLUTION, resolution});

    Edid* edid = nullptr;
    if (readEdid(edid) != 0)
        return;

    std::string text;
    if (edid->manufacturerId(text) == 0)
        properties.push_back({Keys::MANUFACTURER_ID, text});
    if (edid->modelName(text) == 0) {
        properties.push_back({Keys::MODEL_NAME, text});
        std::string name;
        name.reserve(text.size());
        for (char c : text) {
            if (c != ' ')
                name += c;
        }
        m_info.name = name;
    }
    uint8_t version = 0;
    uint8_t revision = 0;
    edid->edidVersion(version, revision);
    properties.push_back(
        {Keys::EDID_VERSION, std::to_string(version) + "." + std::to_string(revision)});
    if (edid->nativeResolution(text) == 0)
        properties.push_back({Keys::NATIVE_RESOLUTION, text});
    if (edid->screenSize(text) == 0)
        properties.push_back({Keys::SCREEN_SIZE, text});
    edid->inputType(text);
    if (text == "d")
        properties.push_back({Keys::INPUT_TYPE, Keys::DIGITAL});
    else if (text == "a")
        properties.push_back({Keys::INPUT_TYPE, Keys::ANALOG});
}
