#include "host/runtime/ModuleCatalogue.h"

#include "display/SystemComponent.h"
#include "display/SystemComponentManager.h"
#include "display/platform/DisplayPlatform.h"
#include "module/Diagnostic.h"
#include "module/ModuleInterface.h"
#include "module/Test.h"
#include "resource/Resource.h"

#include <algorithm>
#include <cctype>
#include <exception>

namespace {
std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Runs configure and turns an exception into its text.
bool tryConfigure(Test* test, const SettingsMap& settings, std::string* failure)
{
    try {
        if (!test->configure(settings, nullptr)) {
            *failure = "the test refused the settings";
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        *failure = e.what();
    } catch (...) {
        *failure = "unknown error";
    }
    return false;
}
} // namespace

ModuleCatalogue::ModuleCatalogue(ModuleInterface* module) : m_module(module)
{
    Resource* resource = module ? module->resource() : nullptr;
    if (!resource)
        return;
    m_name = lowerCase(resource->name());
    m_helpText = resource->helpText();
    const Resource::CommandLineNames diagnosticNames = resource->diagnosticCommandLineNames();
    const Resource::CommandLineNames testNames = resource->testCommandLineNames();

    for (uint32_t d = 0; d < module->diagnosticCount(); ++d) {
        Diagnostic* diagnostic = module->diagnosticAt(d);
        if (!diagnostic)
            continue;
        DiagnosticEntry entry;
        entry.itemId = diagnostic->diagnosticId();
        if (auto names = diagnosticNames.find(entry.itemId); names != diagnosticNames.end()) {
            entry.shortName = names->second.shortName;
            entry.longName = names->second.longName;
        }
        entry.nameKey = resource->diagnosticNameKey(entry.itemId);
        entry.descriptionKey = resource->diagnosticDescriptionKey(entry.itemId);

        // The test objects do not tell their identifiers through a slot; the
        // resource's name table does, and findTest maps each to its object.
        std::vector<TestEntry> named;
        for (const auto& [id, names] : testNames) {
            Test* test = diagnostic->findTest(id);
            if (!test)
                continue;
            TestEntry testEntry;
            testEntry.test = test;
            testEntry.itemId = id;
            testEntry.shortName = names.shortName;
            testEntry.longName = names.longName;
            testEntry.nameKey = resource->testNameKey(id);
            testEntry.descriptionKey = resource->testDescriptionKey(id);
            testEntry.attended = test->isAttended();
            named.push_back(testEntry);
        }
        for (uint32_t t = 0; t < diagnostic->testCount(); ++t) {
            Test* test = diagnostic->testAt(t);
            auto found = std::find_if(named.begin(), named.end(),
                                      [test](const TestEntry& e) { return e.test == test; });
            if (test && found != named.end())
                entry.tests.push_back(*found);
        }
        m_diagnostics.push_back(std::move(entry));
    }
}

const TestEntry* ModuleCatalogue::findTest(const DiagnosticEntry& diagnostic,
                                           const std::string& name)
{
    for (const TestEntry& test : diagnostic.tests) {
        if (test.shortName == name || test.longName == name)
            return &test;
    }
    return nullptr;
}

std::vector<DeviceRecord> ModuleCatalogue::refresh()
{
    std::vector<DeviceRecord> devices;
    SystemComponentManager* manager = m_module ? m_module->componentManager() : nullptr;
    if (!manager)
        return devices;
    manager->refresh();
    for (uint32_t i = 0; i < manager->componentCount(); ++i) {
        SystemComponent* component = manager->displayAt(i);
        if (!component)
            continue;
        const ComponentInfo info = component->info();
        DeviceRecord device{component->componentId(), info.name, info.properties, component, {}};
        // Paired through the list the module's refresh left in the platform
        // library, so alike monitors never swap places.
        OutputView view;
        if (DisplayPlatform::describe(device.id, view))
            device.platform = std::move(view);
        devices.push_back(std::move(device));
    }
    return devices;
}

bool ModuleCatalogue::configure(const std::vector<TestEntry>& tests, const SettingsMap& settings,
                                std::string* error)
{
    for (const TestEntry& entry : tests) {
        std::string failure;
        if (tryConfigure(entry.test, settings, &failure))
            continue;
        std::string culprit;
        for (const auto& [section, values] : settings) {
            for (const auto& [key, value] : values) {
                std::string single;
                if (!tryConfigure(entry.test, SettingsMap{{section, {{key, value}}}}, &single)) {
                    culprit = "the setting " + section + "." + key + "=\"" + value + "\"";
                    failure = single;
                    break;
                }
            }
            if (!culprit.empty())
                break;
        }
        if (error) {
            *error = (culprit.empty() ? std::string("the settings") : culprit) +
                     " cannot be used by the test " + entry.longName + ": " + failure;
        }
        return false;
    }
    return true;
}

std::vector<std::string> ModuleCatalogue::timeoutKeys() const
{
    std::vector<std::string> keys;
    for (const DiagnosticEntry& diagnostic : m_diagnostics) {
        for (const TestEntry& entry : diagnostic.tests) {
            for (const std::string& key :
                 {std::string("CSAT_TEST_TIMEOUT"), "CSAT_TEST_TIMEOUT_" + entry.nameKey}) {
                std::string failure;
                if (std::find(keys.begin(), keys.end(), key) == keys.end() &&
                    !tryConfigure(entry.test, SettingsMap{{"CSAT", {{key, "x"}}}}, &failure))
                    keys.push_back(key);
            }
        }
    }
    return keys;
}
