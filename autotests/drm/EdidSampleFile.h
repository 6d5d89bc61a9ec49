#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class SystemComponent;

using Properties = std::vector<std::pair<std::string, std::string>>;

// The real monitors' EDIDs of the sample file named by EDID_SAMPLES.
class EdidSampleFile
{
public:
    struct Sample
    {
        std::string source;        // where the EDID was collected
        std::vector<uint8_t> full; // every block
        std::string modelCode;     // expected model code
        // Expected (key, value) pairs the EDID adds to a display's properties
        // and the component name, as bytes (one character per byte).
        Properties properties;
        std::string componentName;
    };

    // Every sample; empty when the file cannot be read.
    static const std::vector<Sample>& all();
    // The sample collected at source; fails the calling test when missing.
    static const Sample& bySource(const std::string& source);
};

// The properties a display with the EDID collected at source shows, in the
// module's order; no CURRENT_RESOLUTION when resolution is empty.
Properties displayProperties(const std::string& id, const std::string& resolution,
                             const std::string& source);
Properties propertiesOf(SystemComponent* component);

inline const std::string Eizo = "Digital/Eizo/ENC2291/F367AC7049CD"; // 1920x1080
inline const std::string BenQ = "Digital/BenQ/BNQ76BE/82ED11E364D3"; // 1280x1024
inline const std::string Dell = "Digital/Dell/DEL4237/BAFBF2EF0A62"; // 2560x1440, two blocks
