#pragma once

#include <cstdint>

// Identifier of every object handed to the host. Equality and ordering use the
// combined 64-bit key only, so two ids with the same key are the same item.
struct ItemId
{
    uint16_t module = 0;
    uint32_t diagnostic = 0;
    uint32_t test = 0;
    uint64_t key = 0;

    constexpr ItemId() = default;
    constexpr ItemId(uint16_t moduleNumber, uint32_t diagnosticNumber, uint32_t testNumber)
        : module(moduleNumber), diagnostic(diagnosticNumber), test(testNumber),
          key((uint64_t(moduleNumber) << 48) | (uint64_t(diagnosticNumber) << 24) |
              uint64_t(testNumber))
    {}

    friend constexpr bool operator==(const ItemId& a, const ItemId& b) { return a.key == b.key; }
    friend constexpr bool operator!=(const ItemId& a, const ItemId& b) { return a.key != b.key; }
    friend constexpr bool operator<(const ItemId& a, const ItemId& b) { return a.key < b.key; }
};
