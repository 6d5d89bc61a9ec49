#pragma once

#include "display/platform/EdidIdentity.h"
#include "display/platform/OutputView.h"
#include "host/runtime/DeviceRecord.h"
#include "host/runtime/RunRecord.h"

#include <optional>
#include <string>
#include <vector>

// The platform's view of one listed display as the hosts show it beside the
// module's properties: connector, place, refresh rate, modes, and the
// identity read from the output's own EDID (so alike monitors keep their own
// serial numbers). Texts are English and not translated.
class PlatformSummary
{
public:
    explicit PlatformSummary(const DeviceRecord& device);

    bool isKnown() const { return m_view.has_value(); }
    const std::optional<OutputView>& view() const { return m_view; }
    const EdidIdentity& identity() const { return m_identity; }

    std::optional<std::string> connector() const;
    std::optional<std::string> serialNumber() const { return m_identity.serialNumber(); }
    // The EDID's product name, else the module's model name property.
    const std::optional<std::string>& modelName() const { return m_modelName; }

    // "Connector: DP-1", "Refresh rate: 59.95 Hz", ...: one line per known
    // value, without indentation; withModes adds "  1920x1080 60.00 Hz
    // (current)" lines after "Modes: N".
    std::vector<std::string> textLines(bool withModes) const;

    // {"connector", "position", "size", "primary", "refreshHz", "modes",
    //  "serialNumber", "manufactureWeek", "manufactureYear", "modelYear",
    //  "productCode", "edid"}, unknown keys left out; lines after the first
    // start with indent.
    std::string json(const std::string& indent) const;

    // "A101 (model 41217)": the product code as the EDID's hex digits, and
    // as the decimal model number EDID decoders print; absent when unknown.
    static std::optional<std::string> productCodeText(const EdidIdentity& identity);
    // "dpy2 · E19-7 · VGA-1" for this display.
    std::string label(const std::string& id) const;

    // "1920x1080 60.00 Hz (current, preferred)".
    static std::string modeText(const OutputMode& mode);
    // Two decimals, as every view shows a rate.
    static std::string hertz(double hz);
    // Lower-case hex of every byte.
    static std::string hex(const std::vector<uint8_t>& bytes);

    // Gives each run the connector, model name and serial number of the
    // display it ran on.
    static void describeRuns(std::vector<RunRecord>& runs,
                             const std::vector<DeviceRecord>& devices);

private:
    std::optional<OutputView> m_view;
    EdidIdentity m_identity;
    std::optional<std::string> m_modelName;
};
