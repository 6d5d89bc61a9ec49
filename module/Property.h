#pragma once

#include <string>

// One entry of a component's property list: a text key and a plain value.
struct Property
{
    std::string key;
    std::string value;
};
