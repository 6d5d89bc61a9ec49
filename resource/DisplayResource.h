#pragma once

#include "resource/Resource.h"

// The display module's description: name "DISPLAY", code "MO", the
// command-line help and names, and the name and description keys of the
// quick diagnostic and its eleven tests.
class DisplayResource : public Resource
{
public:
    explicit DisplayResource(const ItemId& id);

    std::string diagnosticNameKey(const ItemId& id) override;
    std::string testNameKey(const ItemId& id) override;
    std::string diagnosticDescriptionKey(const ItemId& id) override;
    std::string testDescriptionKey(const ItemId& id) override;

    // The name of the command-line host the help text shows in its examples.
    static const char* const ProgramName;
};
