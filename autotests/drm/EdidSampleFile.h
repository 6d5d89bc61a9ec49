#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The real monitors' EDIDs of the sample file named by EDID_SAMPLES.
class EdidSampleFile
{
public:
    struct Sample
    {
        std::string source;           // where the EDID was collected
        std::vector<uint8_t> full;    // every block
        std::string modelCode;        // expected model code
        std::string nativeResolution; // expected, empty when it does not decode
        bool mutated = false;
        // Expected (key, value) pairs the EDID adds to a display's properties
        // and the component name, as bytes (one character per byte).
        std::vector<std::pair<std::string, std::string>> properties;
        std::string componentName;
    };

    // Every sample; empty when the file cannot be read.
    static const std::vector<Sample>& all();
    // The sample collected at source; fails the calling test when missing.
    static const Sample& bySource(const std::string& source);
};
