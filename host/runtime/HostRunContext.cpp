#include "host/runtime/HostRunContext.h"

#include "tests/InputRequest.h"

#include <QCoreApplication>
#include <QThread>

HostRunContext::HostRunContext(SystemComponent* component, RunRecord& record,
                               RequestHandler* handler, RequestHandler::Context requestContext,
                               const std::atomic<bool>* stop, const uint32_t* systemEventWord,
                               Observer observer)
    : m_component(component), m_record(record), m_handler(handler),
      m_requestContext(std::move(requestContext)), m_stop(stop), m_systemEventWord(systemEventWord),
      m_observer(std::move(observer))
{
    m_requestContext.stop = stop;
}

void HostRunContext::report(std::string textKey, const void*, int32_t)
{
    m_record.messages.push_back(textKey);
    if (m_observer.message)
        m_observer.message(textKey);
}

void HostRunContext::progress(uint8_t percent, const std::string& textKey)
{
    m_record.progress.push_back({percent, textKey});
    if (m_observer.progress)
        m_observer.progress(percent, textKey);
}

void HostRunContext::request(InputRequest& request)
{
    if (!m_handler) {
        request.answer = 0;
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        request.answer = m_handler->answer(request, m_requestContext);
        return;
    }
    uint32_t answer = 0;
    QMetaObject::invokeMethod(
        app, [&]() { answer = m_handler->answer(request, m_requestContext); },
        Qt::BlockingQueuedConnection);
    request.answer = answer;
}

bool HostRunContext::inputTypeRecognized()
{
    return m_handler && m_handler->acceptsInput();
}
