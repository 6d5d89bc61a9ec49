#pragma once

// The result a test window leaves behind.
enum WindowResult : int {
    SystemEvent = 0, // a compromising system event closed the window
    Timeout = 1,     // initial result; kept on time-out and on any plain close
    Escape = 2,
    Correct = 3, // interactive window: the right digit
    Wrong = 4,   // interactive window: too many wrong digits
};
