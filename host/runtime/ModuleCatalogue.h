#pragma once

#include "host/runtime/DeviceRecord.h"
#include "host/runtime/TestEntry.h"
#include "module/SettingsMap.h"

#include <string>
#include <vector>

class ModuleInterface;

// What a host needs to know of a loaded module, read once through the
// interface object: its name, help text, the diagnostics with their tests and
// command-line names, and the displays after a refresh.
class ModuleCatalogue
{
public:
    struct DiagnosticEntry
    {
        ItemId itemId;
        std::string shortName;
        std::string longName;
        std::string nameKey;
        std::string descriptionKey;
        std::vector<TestEntry> tests; // in the diagnostic's order
    };

    explicit ModuleCatalogue(ModuleInterface* module);

    // The module's name as typed after -M: its resource name in lower case.
    const std::string& name() const { return m_name; }
    const std::string& helpText() const { return m_helpText; }
    const std::vector<DiagnosticEntry>& diagnostics() const { return m_diagnostics; }

    // The test with this short or long name in the diagnostic, or null.
    static const TestEntry* findTest(const DiagnosticEntry& diagnostic, const std::string& name);

    // Rebuilds the display list; earlier records become invalid.
    std::vector<DeviceRecord> refresh();

    // Configures each test with a copy of settings. When one throws, returns
    // false with an error naming the setting, its value and the error text,
    // found by configuring that test with one setting at a time.
    static bool configure(const std::vector<TestEntry>& tests, const SettingsMap& settings,
                          std::string* error);

    // The settings keys of section CSAT that the tests read: the general
    // time-out and each test's own. Found by asking each test to configure
    // itself with one candidate key holding no number, which a test that
    // reads the key refuses.
    std::vector<std::string> timeoutKeys() const;

private:
    ModuleInterface* m_module;
    std::string m_name;
    std::string m_helpText;
    std::vector<DiagnosticEntry> m_diagnostics;
};
