#include "EdidSampleFile.h"

#include "display/SystemComponent.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

const std::vector<EdidSampleFile::Sample>& EdidSampleFile::all()
{
    static const std::vector<Sample> samples = [] {
        std::vector<Sample> read;
        const auto latin1 = [](const QJsonValue& text) {
            return text.toString().toLatin1().toStdString();
        };
        QFile file(qEnvironmentVariable("EDID_SAMPLES"));
        file.open(QIODevice::ReadOnly);
        while (file.isOpen() && !file.atEnd()) {
            const QJsonObject row = QJsonDocument::fromJson(file.readLine()).object();
            const QJsonObject expected = row["expected"].toObject();
            const QByteArray full = QByteArray::fromHex(row["full_hex"].toString().toLatin1());
            Properties properties;
            for (const QJsonValue pair : expected["properties"].toArray())
                properties.emplace_back(latin1(pair[0]), latin1(pair[1]));
            read.push_back({latin1(row["source"]), std::vector<uint8_t>(full.begin(), full.end()),
                            latin1(expected["model_code"]), properties,
                            latin1(expected["component_name"])});
        }
        return read;
    }();
    return samples;
}

const EdidSampleFile::Sample& EdidSampleFile::bySource(const std::string& source)
{
    static const Sample none;
    for (const Sample& sample : all())
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
    const Properties& edid = EdidSampleFile::bySource(source).properties;
    properties.insert(properties.end(), edid.begin(), edid.end());
    return properties;
}

Properties propertiesOf(SystemComponent* component)
{
    Properties properties;
    for (const Property& property : component->info().properties)
        properties.emplace_back(property.key, property.value);
    return properties;
}
