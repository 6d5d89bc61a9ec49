#include "host/gui/DialogRequestHandler.h"

#include "host/runtime/KeyTranslator.h"
#include "host/runtime/WindowExecutor.h"
#include "tests/InputRequest.h"

#include <QMessageBox>
#include <QPushButton>

uint32_t DialogRequestHandler::answer(InputRequest& request, const Context& context)
{
    const bool stopping = context.stop && context.stop->load();
    if (request.widget) {
        if (stopping)
            return 2;
        return static_cast<uint32_t>(
            WindowExecutor::run(request.widget, m_parent, -1, context.stop));
    }
    if (stopping)
        return 0;

    QMessageBox box(m_parent);
    box.setObjectName(QStringLiteral("requestDialog"));
    box.setWindowTitle(m_translator->text(request.title));
    // Sentences of a multi-sentence key each start a line.
    box.setText(m_translator->text(request.text));
    box.setIcon(request.answerSet == InputRequest::YesNo ? QMessageBox::Question
                                                         : QMessageBox::Information);
    QPushButton* accept = nullptr;
    QPushButton* decline = nullptr;
    uint32_t acceptCode = 1;
    uint32_t declineCode = 0;
    if (request.answerSet == InputRequest::YesNo) {
        accept = box.addButton(QObject::tr("Yes"), QMessageBox::YesRole);
        decline = box.addButton(QObject::tr("No"), QMessageBox::NoRole);
        acceptCode = 3;
        declineCode = 4;
    } else {
        accept = box.addButton(QObject::tr("Continue"), QMessageBox::AcceptRole);
        decline = box.addButton(QObject::tr("Cancel"), QMessageBox::RejectRole);
        box.setEscapeButton(decline);
    }
    accept->setObjectName(QStringLiteral("acceptButton"));
    decline->setObjectName(QStringLiteral("declineButton"));
    box.setDefaultButton(accept);
    box.exec();
    if (box.clickedButton() == accept)
        return acceptCode;
    if (box.clickedButton() == decline)
        return declineCode;
    return 0; // closed without a choice: neither answer
}
