#include "host/gui/DialogRequestHandler.h"

#include "host/gui/QuestionDialog.h"
#include "host/gui/StopShortcutFilter.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/WindowExecutor.h"
#include "tests/InputRequest.h"

uint32_t DialogRequestHandler::answer(InputRequest& request, const Context& context)
{
    const bool stopping = context.stop && context.stop->load();
    if (request.widget) {
        if (stopping)
            return 2;
        const Display display = m_display ? m_display(context.device) : Display{};
        StopShortcutFilter filter(m_requestStop);
        filter.setWindowTitle(m_translator->text(context.test.nameKey) +
                              QStringLiteral(" \u2014 ") +
                              (display.label.isEmpty() ? QString::fromStdString(context.device)
                                                       : display.label));
        return static_cast<uint32_t>(
            WindowExecutor::run(request.widget, m_parent, -1, context.stop, &filter));
    }
    if (stopping)
        return 0;

    const Display display = m_display ? m_display(context.device) : Display{};
    QuestionDialog dialog(request.answerSet == InputRequest::YesNo ? QuestionDialog::YesNo
                                                                   : QuestionDialog::Confirmation,
                          m_translator->text(request.title),
                          display.label.isEmpty() ? QString::fromStdString(context.device)
                                                  : display.label,
                          m_translator->text(request.text), m_parent);
    dialog.placeAwayFrom(display.geometry, m_parent);
    const int code = dialog.ask(context.stop);
    if (dialog.stopChosen() && m_requestStop)
        m_requestStop();
    // 0 is neither answer: the test ends through its own checks.
    return code < 0 ? 0 : static_cast<uint32_t>(code);
}
