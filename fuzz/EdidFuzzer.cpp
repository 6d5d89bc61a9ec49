#include "display/platform/sim/SimulatedBackend.h"
#include "fuzz/FuzzDiscovery.h"

#include <cstddef>
#include <cstdint>

// The bytes are the "EDID" value of two monitors of one model (so the search
// meets several matches) next to a monitor without a value; the identity the
// hosts show is read from them through the platform view and directly.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> edid(data, data + size);
    SimulatedDesk desk;
    desk.display("DP-1").mode(1920, 1080).mode(1280, 720).current(0).withEdid(edid).driver("1.0");
    desk.display("DP-1").withEdid(edid);
    desk.display("HDMI-1").at(-1920, 0).mode(3840, 2160).current(0);
    discoverAndDecode(std::make_unique<SimulatedBackend>(desk));

    decodeIdentity(edid);
    // The decoders on the value as given, when it holds a whole block.
    if (size >= size_t(Edid::BlockSize)) {
        const Edid block(data);
        std::string text;
        uint32_t number = 0;
        block.modelName(text);
        block.manufacturerId(text);
        block.nativeResolution(text);
        block.screenSize(text);
        block.nativeWidth(number);
    }
    return 0;
}
