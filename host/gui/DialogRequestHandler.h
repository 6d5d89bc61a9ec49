#pragma once

#include "host/runtime/RequestHandler.h"

#include <QRect>
#include <QString>

#include <functional>

class KeyTranslator;
class QWidget;

// Answers requests with a person at the machine: a confirmation becomes a
// dialog with Continue and Cancel (1 and 0), a yes/no question one with Yes
// and No (3 and 4), both naming the display and offering Stop (0, after
// asking the run to stop); a window request runs the test window, where
// Ctrl+Q stops the run as Stop does.
class DialogRequestHandler : public RequestHandler
{
public:
    struct Display
    {
        QString label;  // "dpy2 · E19-7 · VGA-1"
        QRect geometry; // on the desktop; null when not known
    };

    DialogRequestHandler(QWidget* parent, const KeyTranslator* translator,
                         std::function<Display(const std::string& device)> display,
                         std::function<void()> requestStop)
        : m_parent(parent), m_translator(translator), m_display(std::move(display)),
          m_requestStop(std::move(requestStop))
    {}

    bool acceptsInput() const override { return true; }
    uint32_t answer(InputRequest& request, const Context& context) override;

private:
    QWidget* m_parent;
    const KeyTranslator* m_translator;
    std::function<Display(const std::string&)> m_display;
    std::function<void()> m_requestStop;
};
