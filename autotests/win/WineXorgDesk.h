#pragma once

#include "autotests/win/WineDesk.h"

// Tests on the Xorg dummy server's two outputs. Whatever a test changed, the
// next one starts from the arranged desk; on another server they skip.
class WineXorgDesk : public WineDesk
{
protected:
    void SetUp() override;
    void TearDown() override;
};
