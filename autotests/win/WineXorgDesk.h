#pragma once

#include "autotests/win/WineDesk.h"
#include "display/platform/DisplayDevice.h"

#include <string>

// Tests on the Xorg dummy server's two outputs. Whatever a test changed, the
// next one starts from the arranged desk; on another server they skip.
class WineXorgDesk : public WineDesk
{
protected:
    // Writes version as the adapter's driver version in its registry key, as
    // a driver's installer would (Wine's adapters carry none); an empty
    // version removes it. False when the key cannot be written.
    static bool setDriverVersion(const DisplayDevice& adapter, const std::wstring& version);

    void SetUp() override;
    void TearDown() override;
};
