#pragma once

#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/DisplayInterfaceComponentWindows.h"
#include "display/DisplayMode.h"
#include "display/Edid.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/EdidIdentity.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// Reads the identity of an EDID and stops the run when it breaks its own
// promises: nothing from an invalid block, four hex digits of product code,
// texts never empty and never holding a line feed or NUL.
inline void decodeIdentity(const std::vector<uint8_t>& bytes)
{
    const EdidIdentity identity(bytes);
    const auto text = [](const std::optional<std::string>& value) {
        if (value &&
            (value->empty() || value->find_first_of(std::string("\n\0", 2)) != std::string::npos))
            std::abort();
    };
    text(identity.serialNumber());
    text(identity.productName());
    if (!identity.isValid() && (identity.productCode() || identity.serialNumber()))
        std::abort();
    if (identity.isValid() &&
        (identity.productCode()->size() != 4 ||
         identity.manufactureYear().has_value() == identity.modelYear().has_value()))
        std::abort();
}

// Discovers the displays of the installed backend the way a host does and
// asks every component and decoder for everything it offers, then removes
// the backend.
inline void discoverAndDecode(std::unique_ptr<DisplayBackend> backend)
{
    DisplayPlatform::install(std::move(backend));
    {
        DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
        manager.hasDisplays();
        manager.refresh();
        for (uint32_t i = 0; i < manager.componentCount(); ++i) {
            auto* display = static_cast<DisplayInterfaceComponentWindows*>(manager.componentAt(i));
            display->collectProperties();
            OutputView view;
            if (DisplayPlatform::describe(display->componentId(), view))
                decodeIdentity(view.edid);
            Edid* edid = nullptr;
            if (display->readEdid(edid) == 0) {
                std::string text;
                uint32_t number = 0;
                uint8_t version = 0, revision = 0;
                edid->isChecksumValid();
                edid->hasValidHeader();
                edid->manufacturerId(text);
                edid->modelName(text);
                edid->edidVersion(version, revision);
                edid->inputType(text);
                edid->nativeWidth(number);
                edid->nativeHeight(number);
                edid->nativeResolution(text);
                edid->screenSize(text);
            }
            std::vector<DisplayMode*> modes;
            display->modes(modes);
            DisplayMode* current = nullptr;
            if (display->currentMode(current) == 0) {
                std::string text;
                current->resolutionText(text);
                current->magnitude();
                std::unique_ptr<DisplayMode> copy(current->clone());
                current->equals(copy.get());
            }
            if (!modes.empty())
                modes.back()->apply();
            display->restoreDisplaySettings();
        }
    }
    DisplayPlatform::reset();
}
