#include "display/platform/sim/DeskLoader.h"
#include "fuzz/FuzzDiscovery.h"

#include <cstddef>
#include <cstdint>

// Any text either loads as a desk or gives an error, never both; a desk that
// loads is discovered.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    std::unique_ptr<SimulatedBackend> backend = DeskLoader::loadText(text, "fuzz.json", &error);
    if (!backend) {
        if (error.empty())
            __builtin_trap();
        return 0;
    }
    discoverAndDecode(std::move(backend));
    return 0;
}
