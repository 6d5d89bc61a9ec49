#pragma once

#include <cstdint>
#include <string>

class InputRequest;

// Host object that shows progress and answers input requests. request()
// returns only once the host has written the request's answer.
class FeedbackChannel
{
public:
    virtual ~FeedbackChannel() = default;
    virtual void progress(uint8_t percent, const std::string& textKey) = 0; // slot 1
    virtual void request(InputRequest& request) = 0;                        // slot 2
    virtual void notice(const std::string& textKey) = 0;                    // slot 3, unused
    virtual bool inputTypeRecognized() = 0;                                 // slot 4
};
