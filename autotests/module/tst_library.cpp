// The built library as a host sees it: loaded with dlopen, reached only
// through its exported entry points, exporting nothing else.

#include "display/SystemComponentManager.h"
#include "module/Diagnostic.h"
#include "module/ModuleInterface.h"
#include "module/ProductVersion.h"
#include "module/Test.h"
#include "resource/Resource.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {
std::string libraryPath()
{
    const char* binaryDir = std::getenv("MODULE_DISPLAY_BINARY_DIR");
    return std::string(binaryDir ? binaryDir : "build") + "/lib/libmodule_display.so";
}

std::string run(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    pclose(pipe);
    return output;
}
} // namespace

TEST(Library, ExportsOnlyTheEntryPointsAndTheWidgetDestructor)
{
    const std::string table = run("nm -D --defined-only " + libraryPath() + " 2>&1");
    ASSERT_FALSE(table.empty());
    std::set<std::string> names;
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        const auto space = line.rfind(' ');
        names.insert(space == std::string::npos ? line : line.substr(space + 1));
    }
    for (const char* entry :
         {"GetModuleInterfaceInstance", "GetProductVersion", "ReleaseModuleInterfaceInstance"})
        EXPECT_EQ(names.count(entry), 1u) << entry;
    for (const std::string& name : names) {
        const bool entryPoint = name == "GetModuleInterfaceInstance" ||
                                name == "GetProductVersion" ||
                                name == "ReleaseModuleInterfaceInstance";
        const bool widgetDestructor = name.rfind("_ZN11TarnLiteDpiD", 0) == 0;
        EXPECT_TRUE(entryPoint || widgetDestructor) << "unexpected export: " << name;
    }
    EXPECT_GE(names.size(), 4u) << "the widget destructor must be exported";
}

TEST(Library, HostWalksTheGraphThroughTheExports)
{
    void* handle = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();

    using GetInterface = ModuleInterface* (*)();
    using GetVersion = ProductVersion* (*)();
    using Release = void (*)();
    auto getInterface = reinterpret_cast<GetInterface>(dlsym(handle, "GetModuleInterfaceInstance"));
    auto getVersion = reinterpret_cast<GetVersion>(dlsym(handle, "GetProductVersion"));
    auto release = reinterpret_cast<Release>(dlsym(handle, "ReleaseModuleInterfaceInstance"));
    ASSERT_TRUE(getInterface && getVersion && release);

    ProductVersion* version = getVersion();
    EXPECT_EQ(version->major(), 4u);
    EXPECT_EQ(version->minor(), 35u);
    EXPECT_EQ(version->build(), 1u);
    EXPECT_EQ(version->revision(), 6u);

    ModuleInterface* module = getInterface();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(getInterface(), module);
    ASSERT_EQ(module->diagnosticCount(), 1u);
    Diagnostic* diagnostic = module->diagnosticAt(0);
    EXPECT_EQ(diagnostic->diagnosticId(), ItemId(9, 1, 0));
    ASSERT_EQ(diagnostic->testCount(), 11u);
    Resource* resource = module->resource();
    EXPECT_EQ(resource->name(), "DISPLAY");
    EXPECT_EQ(resource->code(), "MO");
    const std::map<int32_t, std::string> numberedTexts = {{0, "0 - 2"}, {1, ""}, {2, ""}};
    EXPECT_EQ(resource->numberedTexts(), numberedTexts);
    EXPECT_EQ(module->componentManager()->managerId(), ItemId(9, 0, 0));

    release();
    release();
    ModuleInterface* again = getInterface();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->diagnosticAt(0)->testCount(), 11u);
    release();
    dlclose(handle);
}
