#pragma once

#include "display/platform/RegistryValue.h"
#include "display/platform/sim/SimulatedMode.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One monitor device of a simulated desk, attached to a named output. The
// output's position, modes, current mode, adapter name and restore outcome
// are taken from the first display of that output; further displays of the
// same output are clones and only add their own device.
//
// The setters return the display so that a desk reads as one chain:
//   desk.display("DP-1").at(0, 0).edid(bytes).mode(1920, 1080).current(0);
struct SimulatedDisplay
{
    explicit SimulatedDisplay(std::string outputName) : output(std::move(outputName)) {}

    SimulatedDisplay& at(int32_t left, int32_t top);
    SimulatedDisplay& withEdid(std::vector<uint8_t> bytes);
    SimulatedDisplay& withoutEdid();
    SimulatedDisplay& mode(uint32_t width, uint32_t height, uint32_t bitsPerPixel = 32,
                           uint32_t frequency = 60,
                           int32_t applyResult = DisplayBackend::ChangeSuccessful);
    SimulatedDisplay& current(size_t modeIndex);
    SimulatedDisplay& withoutCurrentMode();
    SimulatedDisplay& driver(std::string version);
    SimulatedDisplay& inactive();
    SimulatedDisplay& mirroringDriver();
    SimulatedDisplay& notPresent();
    SimulatedDisplay& keyDoesNotOpen();
    SimulatedDisplay& restoreFailing();
    SimulatedDisplay& modelCode(std::string code);
    SimulatedDisplay& deviceIdentifier(std::string id);
    SimulatedDisplay& adapter(std::string name);
    SimulatedDisplay& registryValue(std::string name, std::vector<uint8_t> data);

    std::string output;
    int32_t left = 0;
    int32_t top = 0;
    std::optional<std::vector<uint8_t>> edid; // absent: no "EDID" value
    std::vector<SimulatedMode> modes;
    std::optional<size_t> currentMode;        // absent: the current mode cannot be read
    std::optional<std::string> driverVersion; // absent: no driver version is found
    bool active = true;
    bool mirroring = false;
    bool present = true;  // listed among the present monitor devices
    bool keyOpens = true; // its hardware key opens
    bool restoreFails = false;
    std::optional<std::string> model;       // model code instead of the EDID's
    std::optional<std::string> deviceId;    // device identifier instead of the built one
    std::optional<std::string> adapterName; // adapter name instead of the output name
    std::vector<RegistryValue> extraValues; // hardware key values listed before "EDID"
};
