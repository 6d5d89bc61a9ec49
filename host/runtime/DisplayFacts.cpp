#include "host/runtime/DisplayFacts.h"

#include "host/runtime/PlatformSummary.h"

#include <QTextCodec>

#include <iterator>

namespace {
std::optional<std::string> property(const DeviceRecord& device, const char* key)
{
    for (const Property& property : device.properties)
        if (property.key == key && !property.value.empty())
            return property.value;
    return std::nullopt;
}
} // namespace

DisplayFacts DisplayFacts::of(const DeviceRecord& device)
{
    const PlatformSummary summary(device);
    DisplayFacts facts;
    facts.device = device.id;
    facts.connector = summary.connector();
    facts.manufacturer = property(device, "MANUFACTURER_ID");
    facts.model = summary.modelName();
    facts.serial = summary.serialNumber();
    facts.nativeResolution = property(device, "NATIVE_RESOLUTION");
    facts.currentResolution = property(device, "CURRENT_RESOLUTION");
    return facts;
}

std::vector<std::pair<std::string, std::string>>
DisplayFacts::known(const std::vector<std::string>& names) const
{
    const std::optional<std::string>* values[] = {
        &connector, &manufacturer, &model, &serial, &nativeResolution, &currentResolution};
    std::vector<std::pair<std::string, std::string>> pairs;
    for (size_t i = 0; i < names.size() && i < std::size(values); ++i)
        if (*values[i])
            pairs.emplace_back(names[i], **values[i]);
    return pairs;
}

QString DisplayFacts::text(const std::string& bytes)
{
    QTextCodec::ConverterState state;
    const QString utf8 = QTextCodec::codecForName("UTF-8")->toUnicode(
        bytes.data(), static_cast<int>(bytes.size()), &state);
    if (state.invalidChars == 0)
        return utf8;
    return QString::fromLatin1(bytes.data(), static_cast<int>(bytes.size()));
}
