#pragma once

#include "host/runtime/DeviceRecord.h"

#include <QString>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// What fleet reports say about one display: which output it hangs on and
// which monitor it is. The connector, model and serial number come from the
// platform's view (so alike monitors keep their own), the manufacturer and
// resolutions from the module's properties.
struct DisplayFacts
{
    std::string device; // dpyN
    std::optional<std::string> connector;
    std::optional<std::string> manufacturer;
    std::optional<std::string> model;
    std::optional<std::string> serial;
    std::optional<std::string> nativeResolution;
    std::optional<std::string> currentResolution;

    static DisplayFacts of(const DeviceRecord& device);

    // (name, value) of every known fact, in the order above, under the given
    // names for connector, manufacturer, model, serial, native, current.
    std::vector<std::pair<std::string, std::string>>
    known(const std::vector<std::string>& names) const;

    // The module's texts are bytes: UTF-8 when they are valid UTF-8, else
    // each byte read as Latin-1, so that no byte is lost.
    static QString text(const std::string& bytes);
};
