#pragma once

#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <string>

// Reads the JSON text of a desk file into a document in one pass. Besides
// what the JSON library itself refuses (invalid UTF-8, control characters in
// strings, lone surrogates, trailing text), a key given twice in one object
// and nesting deeper than MaxDepth are refused: a repeated key would
// otherwise be resolved silently. A rejected text gives the byte offset of
// the fault and what is wrong.
class DeskJsonReader
{
public:
    // A desk needs five levels (desk, displays, display, modes, mode).
    static constexpr std::size_t MaxDepth = 16;

    static bool read(const std::string& text, nlohmann::json& document, std::size_t& offset,
                     QString& error);
};
