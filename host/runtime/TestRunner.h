#pragma once

#include "host/runtime/RequestHandler.h"
#include "host/runtime/RunRecord.h"
#include "host/runtime/TestEntry.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

class QThread;
class SystemComponent;
class SystemEventMonitor;

// Runs a list of tests one after the other on a worker thread while the
// user-interface thread keeps its event loop (windows, dialogs, screen
// events). Signals arrive on the thread the runner lives in.
class TestRunner : public QObject
{
    Q_OBJECT

public:
    struct Job
    {
        std::string device;
        SystemComponent* component = nullptr;
        TestEntry test;
    };

    // The record of job before it has a result: the display and the test's
    // names. A job a stop left out keeps it with the not-run result.
    static RunRecord recordOf(const std::string& device, const TestEntry& test);

    TestRunner(RequestHandler* handler, SystemEventMonitor* events, QObject* parent = nullptr);
    ~TestRunner() override;

    // Starts the jobs; false when a run is already going on.
    bool start(std::vector<Job> jobs);
    bool isRunning() const { return m_running; }

    // Asks the running test to stop and starts no further test.
    void requestStop() { m_stop.store(true); }
    bool stopRequested() const { return m_stop.load(); }
    // For signal handlers: the flag itself (lock-free).
    std::atomic<bool>& stopFlag() { return m_stop; }

    // Records of the tests that ran, in order; complete after finished().
    const std::vector<RunRecord>& records() const { return m_records; }

    // Blocks (processing events) until the current run has finished.
    void waitForFinished();

signals:
    void jobStarted(int index);
    void jobProgress(int index, int percent, const QString& text);
    void jobMessage(int index, const QString& key);
    void jobFinished(int index, unsigned result);
    void finished();

private:
    void work();
    void workerDone();

    RequestHandler* m_handler;
    SystemEventMonitor* m_events;
    std::vector<Job> m_jobs;
    std::vector<RunRecord> m_records;
    std::atomic<bool> m_stop{false};
    bool m_running = false;
    std::unique_ptr<QThread> m_thread; // kept after a run until the next one
};
