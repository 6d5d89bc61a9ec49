#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class AbstractWidgetWrapper;

// What a test asks of the host: a question by text keys, or a window to run on
// the display under test. The host writes the answer code back.
class InputRequest
{
public:
    // What presentation means to the host.
    enum Presentation : uint32_t { WindowOnly = 0, TextDialog = 1 };
    // Which answers the request offers.
    enum AnswerSet : uint32_t { Confirmation = 0, YesNo = 2, WindowResultAnswer = 3 };

    InputRequest(std::string title, std::string text, uint32_t presentation, uint32_t answerSet,
                 uint32_t extraValue)
        : title(std::move(title)), text(std::move(text)), presentation(presentation),
          answerSet(answerSet), extraValue(extraValue)
    {}
    virtual ~InputRequest() = default;

    AbstractWidgetWrapper* widget = nullptr; // not owned; null in a text request
    uint32_t answer = 0;
    std::string title;
    std::string text;
    uint32_t presentation;
    uint32_t answerSet;
    std::vector<uint64_t> extraItems; // never filled by this module
    uint32_t extraValue;
};
