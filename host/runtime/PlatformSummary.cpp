#include "host/runtime/PlatformSummary.h"

#include "host/runtime/JsonReport.h"

#include <cstdio>
#include <stdexcept>

namespace {
const char* const ModelNameKey = "MODEL_NAME";

std::string boolean(bool value)
{
    return value ? "true" : "false";
}

// 1.5, 1.25, 1.167: what display settings show, no trailing zeros.
std::string scaleText(double scale)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.4g", scale);
    return text;
}

bool scaled(const OutputView& view)
{
    return view.scale != 1.0 && view.scale > 0;
}
} // namespace

PlatformSummary::PlatformSummary(const DeviceRecord& device) : m_view(device.platform)
{
    if (m_view)
        m_identity = EdidIdentity(m_view->edid);
    m_modelName = m_identity.productName();
    if (!m_modelName) {
        for (const Property& property : device.properties)
            if (property.key == ModelNameKey && !property.value.empty())
                m_modelName = property.value;
    }
}

std::optional<std::string> PlatformSummary::connector() const
{
    if (!m_view || m_view->connector.empty())
        return std::nullopt;
    return m_view->connector;
}

std::optional<std::string> PlatformSummary::productCodeText(const EdidIdentity& identity)
{
    const std::optional<std::string>& code = identity.productCode();
    if (!code)
        return std::nullopt;
    try {
        return *code + " (model " + std::to_string(std::stoul(*code, nullptr, 16)) + ")";
    } catch (const std::exception&) {
        return code;
    }
}

std::string PlatformSummary::hertz(double hz)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f", hz);
    return text;
}

std::string PlatformSummary::hex(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

std::string PlatformSummary::modeText(const OutputMode& mode)
{
    std::string text = std::to_string(mode.width) + "x" + std::to_string(mode.height);
    if (mode.refreshHz)
        text += " " + hertz(*mode.refreshHz) + " Hz";
    std::vector<std::string> marks;
    if (mode.current)
        marks.push_back("current");
    if (mode.preferred.value_or(false))
        marks.push_back("preferred");
    if (!marks.empty())
        text += " (" + marks.front() + (marks.size() > 1 ? ", " + marks.back() : "") + ")";
    return text;
}

std::vector<std::string> PlatformSummary::textLines(bool withModes) const
{
    std::vector<std::string> lines;
    if (!m_view)
        return lines;
    const OutputView& view = *m_view;
    if (!view.connector.empty())
        lines.push_back("Connector: " + view.connector);
    lines.push_back("Position: " + std::to_string(view.x) + "," + std::to_string(view.y));
    lines.push_back("Size: " + std::to_string(view.width) + "x" + std::to_string(view.height));
    if (scaled(view)) {
        lines.push_back("Scale: " + scaleText(view.scale));
        lines.push_back("Logical size: " + std::to_string(view.logicalWidth) + "x" +
                        std::to_string(view.logicalHeight));
    }
    if (view.primary)
        lines.push_back("Primary: yes");
    if (view.refreshHz)
        lines.push_back("Refresh rate: " + hertz(*view.refreshHz) + " Hz");
    if (m_identity.serialNumber())
        lines.push_back("Serial number: " + *m_identity.serialNumber());
    if (const auto code = productCodeText(m_identity))
        lines.push_back("Product code: " + *code);
    if (m_identity.manufactureWeek())
        lines.push_back("Manufactured: week " + std::to_string(*m_identity.manufactureWeek()) +
                        " of " + std::to_string(*m_identity.manufactureYear()));
    else if (m_identity.manufactureYear())
        lines.push_back("Manufactured: " + std::to_string(*m_identity.manufactureYear()));
    else if (m_identity.modelYear())
        lines.push_back("Model year: " + std::to_string(*m_identity.modelYear()));
    if (!view.modes.empty()) {
        lines.push_back("Modes: " + std::to_string(view.modes.size()));
        if (withModes)
            for (const OutputMode& mode : view.modes)
                lines.push_back("  " + modeText(mode));
    }
    return lines;
}

std::string PlatformSummary::json(const std::string& indent) const
{
    if (!m_view)
        return "{}";
    const OutputView& view = *m_view;
    const std::string inner = indent + "  ";
    std::vector<std::string> fields;
    if (!view.connector.empty())
        fields.push_back("\"connector\": " + JsonReport::quoted(view.connector));
    fields.push_back("\"position\": [" + std::to_string(view.x) + ", " + std::to_string(view.y) +
                     "]");
    fields.push_back("\"size\": [" + std::to_string(view.width) + ", " +
                     std::to_string(view.height) + "]");
    if (scaled(view)) {
        fields.push_back("\"scale\": " + scaleText(view.scale));
        fields.push_back("\"logicalSize\": [" + std::to_string(view.logicalWidth) + ", " +
                         std::to_string(view.logicalHeight) + "]");
    }
    fields.push_back("\"primary\": " + boolean(view.primary));
    if (view.refreshHz)
        fields.push_back("\"refreshHz\": " + hertz(*view.refreshHz));
    if (!view.modes.empty()) {
        std::string modes = "\"modes\": [";
        for (size_t i = 0; i < view.modes.size(); ++i) {
            const OutputMode& mode = view.modes[i];
            modes += (i ? ",\n" : "\n") + inner + "  {\"width\": " + std::to_string(mode.width) +
                     ", \"height\": " + std::to_string(mode.height);
            if (mode.refreshHz)
                modes += ", \"refreshHz\": " + hertz(*mode.refreshHz);
            modes += ", \"current\": " + boolean(mode.current);
            if (mode.preferred)
                modes += ", \"preferred\": " + boolean(*mode.preferred);
            modes += "}";
        }
        fields.push_back(modes + "\n" + inner + "]");
    }
    if (m_identity.serialNumber())
        fields.push_back("\"serialNumber\": " + JsonReport::quoted(*m_identity.serialNumber()));
    if (m_identity.manufactureWeek())
        fields.push_back("\"manufactureWeek\": " + std::to_string(*m_identity.manufactureWeek()));
    if (m_identity.manufactureYear())
        fields.push_back("\"manufactureYear\": " + std::to_string(*m_identity.manufactureYear()));
    if (m_identity.modelYear())
        fields.push_back("\"modelYear\": " + std::to_string(*m_identity.modelYear()));
    if (m_identity.productCode())
        fields.push_back("\"productCode\": " + JsonReport::quoted(*m_identity.productCode()));
    if (!view.edid.empty())
        fields.push_back("\"edid\": \"" + hex(view.edid) + "\"");

    std::string out = "{";
    for (size_t i = 0; i < fields.size(); ++i)
        out += (i ? ",\n" : "\n") + inner + fields[i];
    return out + "\n" + indent + "}";
}

void PlatformSummary::describeRuns(std::vector<RunRecord>& runs,
                                   const std::vector<DeviceRecord>& devices)
{
    for (RunRecord& run : runs) {
        for (const DeviceRecord& device : devices) {
            if (device.id != run.device)
                continue;
            const PlatformSummary summary(device);
            run.connector = summary.connector();
            run.modelName = summary.modelName();
            run.serialNumber = summary.serialNumber();
            break;
        }
    }
}
