#pragma once

#include <cstdint>
#include <string>

// One combination of resolution, colour depth and refresh rate an output can
// run. Modes handed out by a component belong to that component.
class DisplayMode
{
public:
    virtual ~DisplayMode() = default;

    virtual int32_t apply() = 0;                           // slot 1: 0 ok, 1 unsupported, 2 failed
    virtual uint32_t width() = 0;                          // slot 2
    virtual uint32_t height() = 0;                         // slot 3
    virtual int32_t resolutionText(std::string& text) = 0; // slot 4
    virtual double magnitude() = 0;                        // slot 5
    virtual bool equals(const DisplayMode* other) = 0;     // slot 6
    virtual DisplayMode* clone() = 0;                      // slot 7, caller owns the copy
};
