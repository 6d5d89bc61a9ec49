#pragma once

#include "module/SettingsMap.h"

#include <string>

// Builds the settings handed to the tests' configure from INI files and
// SECTION.KEY=VALUE assignments. Sections and keys are kept byte for byte
// (no case folding, no escaping), since the module looks them up exactly.
class SettingsLoader
{
public:
    // Reads an INI file into settings; later values replace earlier ones.
    // On failure returns false, leaves settings unchanged and sets error to
    // one sentence naming the file and line.
    static bool loadFile(const std::string& path, SettingsMap& settings, std::string* error);

    // Parses INI text; source names the text in errors.
    static bool parse(const std::string& text, const std::string& source, SettingsMap& settings,
                      std::string* error);

    // Applies one "SECTION.KEY=VALUE" assignment.
    static bool assign(const std::string& assignment, SettingsMap& settings, std::string* error);
};
