#pragma once

#include "host/runtime/RequestHandler.h"

class KeyTranslator;
class QWidget;

// Answers requests with a person at the machine: a confirmation becomes a
// dialog with Continue and Cancel (1 and 0), a yes/no question one with Yes
// and No (3 and 4), both with the translated title and text; a window
// request runs the test window over the main window.
class DialogRequestHandler : public RequestHandler
{
public:
    DialogRequestHandler(QWidget* parent, const KeyTranslator* translator)
        : m_parent(parent), m_translator(translator)
    {}

    bool acceptsInput() const override { return true; }
    uint32_t answer(InputRequest& request, const Context& context) override;

private:
    QWidget* m_parent;
    const KeyTranslator* m_translator;
};
