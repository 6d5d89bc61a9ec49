#include "host/runtime/TestRunner.h"

#include "host/runtime/HostRunContext.h"
#include "host/runtime/SystemEventMonitor.h"
#include "module/Test.h"

#include <QDateTime>
#include <QEventLoop>
#include <QThread>

#include <exception>

namespace {
// When a run started or ended, to the millisecond, for reports that time tests.
std::string now()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toStdString();
}

const char* const InternalErrorKey =
    "AN_INTERNAL_ERROR_OCCURRED._|THIS_DOES_NOT_INDICATE_A_FAILURE._|PLEASE_TRY_AGAIN.";
} // namespace

TestRunner::TestRunner(RequestHandler* handler, SystemEventMonitor* events, QObject* parent)
    : QObject(parent), m_handler(handler), m_events(events)
{}

TestRunner::~TestRunner()
{
    if (m_running) {
        requestStop();
        waitForFinished();
    }
}

bool TestRunner::start(std::vector<Job> jobs)
{
    if (m_running)
        return false;
    m_jobs = std::move(jobs);
    m_records.clear();
    m_stop.store(false);
    m_running = true;
    m_thread.reset(QThread::create([this]() { work(); }));
    connect(m_thread.get(), &QThread::finished, this, &TestRunner::workerDone);
    m_thread->start();
    return true;
}

void TestRunner::waitForFinished()
{
    if (!m_running)
        return;
    QEventLoop loop;
    connect(this, &TestRunner::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

RunRecord TestRunner::recordOf(const std::string& device, const TestEntry& test)
{
    RunRecord record;
    record.device = device;
    record.test = test.longName;
    record.shortName = test.shortName;
    record.nameKey = test.nameKey;
    record.itemId = test.itemId;
    return record;
}

void TestRunner::work()
{
    for (size_t i = 0; i < m_jobs.size(); ++i) {
        if (m_stop.load())
            break;
        const Job& job = m_jobs[i];
        const int index = static_cast<int>(i);
        RunRecord record = recordOf(job.device, job.test);
        emit jobStarted(index);
        if (m_events)
            m_events->clear();
        HostRunContext::Observer observer;
        observer.progress = [this, index](int percent, const std::string& text) {
            emit jobProgress(index, percent, QString::fromStdString(text));
        };
        observer.message = [this, index](const std::string& key) {
            emit jobMessage(index, QString::fromStdString(key));
        };
        record.started = now();
        HostRunContext context(job.component, record, m_handler, {job.device, job.test, nullptr},
                               &m_stop, m_events ? m_events->word() : nullptr, observer);
        try {
            record.result = job.test.test->run(&context);
        } catch (const std::exception& e) {
            // A module must not throw from run; keep the host alive and say
            // so in the module's own words for an unfinished measurement.
            qWarning("the test %s threw: %s", job.test.longName.c_str(), e.what());
            context.report(InternalErrorKey, nullptr, 0);
            record.result = 4;
        } catch (...) {
            qWarning("the test %s threw", job.test.longName.c_str());
            context.report(InternalErrorKey, nullptr, 0);
            record.result = 4;
        }
        record.ended = now();
        m_records.push_back(record);
        emit jobFinished(index, record.result);
    }
}

void TestRunner::workerDone()
{
    m_thread->wait();
    m_running = false;
    emit finished();
}
