#include "host/runtime/JsonReport.h"

#include "host/runtime/PlatformSummary.h"
#include "host/runtime/TestResultName.h"

#include <cstdio>

std::string JsonReport::quoted(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size() + 2);
    out += '"';
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof(escaped), "\\u%04x", byte);
                out += escaped;
            } else if (byte >= 0x80) {
                // U+0080..U+00FF in UTF-8.
                out += static_cast<char>(0xC0 | (byte >> 6));
                out += static_cast<char>(0x80 | (byte & 0x3F));
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

std::string JsonReport::devices(const std::vector<DeviceRecord>& devices)
{
    std::string out = "{\n  \"devices\": [";
    for (size_t d = 0; d < devices.size(); ++d) {
        const DeviceRecord& device = devices[d];
        out += d ? ",\n    {" : "\n    {";
        out += "\n      \"id\": " + quoted(device.id) + ",";
        out += "\n      \"name\": " + quoted(device.name) + ",";
        out += "\n      \"properties\": [";
        for (size_t p = 0; p < device.properties.size(); ++p) {
            out += p ? ",\n        " : "\n        ";
            out += "{\"key\": " + quoted(device.properties[p].key) +
                   ", \"value\": " + quoted(device.properties[p].value) + "}";
        }
        out += device.properties.empty() ? "]" : "\n      ]";
        if (device.platform)
            out += ",\n      \"platform\": " + PlatformSummary(device).json("      ");
        out += "\n    }";
    }
    out += devices.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

std::string JsonReport::runs(const std::vector<RunRecord>& runs)
{
    std::string out = "{\n  \"runs\": [";
    for (size_t r = 0; r < runs.size(); ++r) {
        const RunRecord& run = runs[r];
        out += r ? ",\n    {" : "\n    {";
        out += "\n      \"device\": " + quoted(run.device) + ",";
        const std::pair<const char*, const std::optional<std::string>*> identity[] = {
            {"connector", &run.connector},
            {"modelName", &run.modelName},
            {"serialNumber", &run.serialNumber}};
        for (const auto& [key, value] : identity)
            if (*value)
                out += "\n      \"" + std::string(key) + "\": " + quoted(**value) + ",";
        out += "\n      \"test\": " + quoted(run.test) + ",";
        out += "\n      \"shortName\": " + quoted(run.shortName) + ",";
        out += "\n      \"itemId\": [" + std::to_string(run.itemId.module) + ", " +
               std::to_string(run.itemId.diagnostic) + ", " + std::to_string(run.itemId.test) +
               "],";
        out += "\n      \"result\": " + std::to_string(run.result) + ",";
        out += "\n      \"resultName\": " + quoted(TestResultName::of(run.result)) + ",";
        const std::pair<const char*, const std::optional<std::string>*> times[] = {
            {"started", &run.started}, {"ended", &run.ended}};
        for (const auto& [key, value] : times)
            if (*value)
                out += "\n      \"" + std::string(key) + "\": " + quoted(**value) + ",";
        out += "\n      \"progress\": [";
        for (size_t p = 0; p < run.progress.size(); ++p) {
            out += p ? ",\n        " : "\n        ";
            out += "{\"percent\": " + std::to_string(run.progress[p].percent) +
                   ", \"text\": " + quoted(run.progress[p].text) + "}";
        }
        out += run.progress.empty() ? "]," : "\n      ],";
        out += "\n      \"messages\": [";
        for (size_t m = 0; m < run.messages.size(); ++m) {
            out += m ? ",\n        " : "\n        ";
            out += quoted(run.messages[m]);
        }
        out += run.messages.empty() ? "]" : "\n      ]";
        if (!run.warnings.empty()) {
            out += ",\n      \"warnings\": [";
            for (size_t w = 0; w < run.warnings.size(); ++w)
                out += (w ? ",\n        " : "\n        ") + quoted(run.warnings[w]);
            out += "\n      ]";
        }
        out += "\n    }";
    }
    out += runs.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

std::string JsonReport::error(const std::string& sentence)
{
    return "{\n  \"error\": " + quoted(sentence) + "\n}\n";
}
