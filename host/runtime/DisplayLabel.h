#pragma once

#include <optional>
#include <string>

// How both hosts name a display in their own texts: "dpy2 · E19-7 · VGA-1",
// the identifier, the model name (the EDID's product name, else the module's
// model name) and the connector, leaving out what is not known.
namespace DisplayLabel {
std::string of(const std::string& id, const std::optional<std::string>& modelName,
               const std::optional<std::string>& connector);
} // namespace DisplayLabel
