#pragma once

#include "host/runtime/DeviceRecord.h"
#include "host/runtime/RunRecord.h"

#include <string>
#include <vector>

// The JSON documents of the hosts. The module's texts are byte strings, so a
// string is written byte by byte: bytes of 0x80 and above become the
// character with that code (the text read as Latin-1) and control bytes are
// escaped, which lets a reader map every value back to its exact bytes.
namespace JsonReport {
std::string quoted(const std::string& bytes);

// {"devices": [{"id", "name", "properties": [{"key", "value"}, ...],
//               "platform": {...} (see PlatformSummary::json)}, ...]}
std::string devices(const std::vector<DeviceRecord>& devices);

// {"runs": [{"device", "connector", "modelName", "serialNumber" (each when
//            known), "test", "shortName", "itemId", "result", "resultName",
//            "progress": [{"percent", "text"}], "messages": [...]}, ...]}
std::string runs(const std::vector<RunRecord>& runs);

// {"error": "..."}
std::string error(const std::string& sentence);
} // namespace JsonReport
