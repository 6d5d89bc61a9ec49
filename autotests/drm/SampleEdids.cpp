#include "SampleEdids.h"

#include "display/SystemComponent.h"

#include <QJsonArray>

#include <gtest/gtest.h>

const EdidSample& sampleAt(const std::string& source)
{
    static const std::vector<EdidSample> samples = loadEdidSamples();
    static const EdidSample none;
    for (const EdidSample& sample : samples)
        if (sample.source == source)
            return sample;
    ADD_FAILURE() << "no EDID sample " << source;
    return none;
}

Properties displayProperties(const std::string& id, const std::string& resolution,
                             const std::string& source)
{
    Properties properties{{"UDI", id}, {"DISPLAY_INDEX", id.substr(id.size() - 1)}};
    if (!resolution.empty())
        properties.emplace_back("CURRENT_RESOLUTION", resolution);
    for (const QJsonValue pair : sampleAt(source).expected.value("properties").toArray())
        properties.emplace_back(latin1(pair.toArray().at(0).toString()),
                                latin1(pair.toArray().at(1).toString()));
    return properties;
}

Properties propertiesOf(SystemComponent* component)
{
    Properties properties;
    for (const Property& property : component->info().properties)
        properties.emplace_back(property.key, property.value);
    return properties;
}
