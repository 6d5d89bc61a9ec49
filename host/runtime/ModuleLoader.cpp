#include "host/runtime/ModuleLoader.h"

#include "host/runtime/SharedLibrary.h"

#include <QDir>

namespace {
template <typename Function>
bool resolve(void* handle, const char* symbol, const std::string& path, Function& out,
             std::string* error)
{
    void* address = SharedLibrary::symbol(handle, symbol);
    if (!address) {
        if (error)
            *error = "the module library " + path + " does not export the symbol " + symbol;
        return false;
    }
    out = reinterpret_cast<Function>(address);
    return true;
}
} // namespace

ModuleLoader::~ModuleLoader()
{
    release();
    // The library stays mapped: Qt keeps metadata of the module's widget
    // classes registered until the process ends, and unloading under it
    // would leave dangling pointers.
}

std::string ModuleLoader::defaultPath()
{
    const std::string bin = SharedLibrary::executableDirectory();
#ifdef _WIN32
    // Windows finds a program's libraries beside it, in the build folder as
    // in the zip.
    return bin + "/libmodule_display.dll";
#endif
    const size_t slash = bin.rfind('/');
    const std::string prefix = slash == std::string::npos ? ".." : bin.substr(0, slash);
    const std::string built = prefix + "/lib/libmodule_display.so";
#ifdef HOST_INSTALLED_MODULE_PATH
    // An installed host keeps the module in its private library folder; the
    // build folder has it beside the platform library.
    const std::string installed =
        QDir::cleanPath(QString::fromStdString(bin + "/" HOST_INSTALLED_MODULE_PATH)).toStdString();
    if (SharedLibrary::exists(installed) || !SharedLibrary::exists(built))
        return installed;
#endif
    return built;
}

bool ModuleLoader::load(const std::string& path, std::string* error)
{
    if (m_handle) {
        if (error)
            *error = "a module library is already loaded from " + m_path;
        return false;
    }
    if (!SharedLibrary::exists(path)) {
        if (error)
            *error = "the module library " + path + " does not exist";
        return false;
    }
    std::string reason;
    void* handle = SharedLibrary::open(path, &reason);
    if (!handle) {
        if (error)
            *error = "the module library " + path + " cannot be loaded: " + reason;
        return false;
    }
    decltype(m_getInstance) getInstance = nullptr;
    decltype(m_getVersion) getVersion = nullptr;
    decltype(m_release) releaseInstance = nullptr;
    if (!resolve(handle, "GetModuleInterfaceInstance", path, getInstance, error) ||
        !resolve(handle, "GetProductVersion", path, getVersion, error) ||
        !resolve(handle, "ReleaseModuleInterfaceInstance", path, releaseInstance, error)) {
        SharedLibrary::close(handle);
        return false;
    }
    m_handle = handle;
    m_path = path;
    m_getInstance = getInstance;
    m_getVersion = getVersion;
    m_release = releaseInstance;
    return true;
}

ModuleInterface* ModuleLoader::instance()
{
    if (!m_instance && m_getInstance)
        m_instance = m_getInstance();
    return m_instance;
}

ProductVersion* ModuleLoader::productVersion()
{
    return m_getVersion ? m_getVersion() : nullptr;
}

void ModuleLoader::release()
{
    if (m_instance && m_release)
        m_release();
    m_instance = nullptr;
}
