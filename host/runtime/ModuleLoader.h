#pragma once

#include <string>

class ModuleInterface;
class ProductVersion;

// Loads a module library with dlopen and resolves its three entry points.
// The host reaches the module only through these and the interface headers.
class ModuleLoader
{
public:
    ModuleLoader() = default;
    ~ModuleLoader();
    ModuleLoader(const ModuleLoader&) = delete;
    ModuleLoader& operator=(const ModuleLoader&) = delete;

    // The module's library relative to the executable: in the installed
    // layout's private library folder, or else in the build folder's lib/.
    static std::string defaultPath();

    // Opens the library and resolves the exports. On failure returns false and
    // sets error to one sentence naming the file and, if it is one, the symbol.
    bool load(const std::string& path, std::string* error);

    bool isLoaded() const { return m_handle != nullptr; }
    const std::string& path() const { return m_path; }

    // The module's interface object; built on the first call.
    ModuleInterface* instance();
    ProductVersion* productVersion();
    // Destroys the interface object; pointers obtained from it become invalid.
    void release();

private:
    void* m_handle = nullptr;
    std::string m_path;
    ModuleInterface* (*m_getInstance)() = nullptr;
    ProductVersion* (*m_getVersion)() = nullptr;
    void (*m_release)() = nullptr;
    ModuleInterface* m_instance = nullptr;
};
