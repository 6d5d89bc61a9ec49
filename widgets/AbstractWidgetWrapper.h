#pragma once

class QObject;
class QWidget;

// Carries a test window inside an input request. Whoever executes the request
// calls run() on the user-interface thread: it builds the window, executes it
// until it finishes, destroys it and returns its WindowResult.
class AbstractWidgetWrapper
{
public:
    virtual ~AbstractWidgetWrapper() = default;
    virtual int run(QWidget* parent, QObject* eventFilter) = 0; // slot 1
};
