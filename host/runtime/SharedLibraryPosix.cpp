#include "host/runtime/SharedLibrary.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

void* SharedLibrary::open(const std::string& path, std::string* reason)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle && reason) {
        const char* text = dlerror();
        *reason = text ? text : "unknown reason";
    }
    return handle;
}

void* SharedLibrary::symbol(void* handle, const char* name)
{
    dlerror();
    return dlsym(handle, name);
}

void SharedLibrary::close(void* handle)
{
    dlclose(handle);
}

bool SharedLibrary::exists(const std::string& path)
{
    return access(path.c_str(), F_OK) == 0;
}

std::string SharedLibrary::executableDirectory()
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return ".";
    std::string path(buffer, static_cast<size_t>(length));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}
