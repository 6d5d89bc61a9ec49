#pragma once

#include "autotests/display/DisplayTestSupport.h"

#include <string>
#include <utility>
#include <vector>

class SystemComponent;

using Properties = std::vector<std::pair<std::string, std::string>>;

// The real EDID collected at source; fails the calling test when missing.
const EdidSample& sampleAt(const std::string& source);

// The properties a display with that EDID shows, in the module's order; no
// CURRENT_RESOLUTION when resolution is empty.
Properties displayProperties(const std::string& id, const std::string& resolution,
                             const std::string& source);
Properties propertiesOf(SystemComponent* component);

inline const std::string Eizo = "Digital/Eizo/ENC2291/F367AC7049CD"; // 1920x1080
inline const std::string BenQ = "Digital/BenQ/BNQ76BE/82ED11E364D3"; // 1280x1024
inline const std::string Dell = "Digital/Dell/DEL4237/BAFBF2EF0A62"; // 2560x1440, two blocks
