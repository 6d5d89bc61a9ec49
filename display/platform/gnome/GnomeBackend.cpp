#include "display/platform/gnome/GnomeBackend.h"

#include "display/platform/gnome/DisplayConfigAssignments.h"
#include "display/platform/gnome/DisplayConfigWatcher.h"
#include "display/platform/sysfs/SysfsReader.h"

#include <QDebug>

#include <algorithm>

std::unique_ptr<GnomeBackend> GnomeBackend::open(std::string* error, std::string sysfsRoot,
                                                 std::string deviceRoot, bool* unanswered)
{
    const OperationDeadline deadline;
    std::unique_ptr<GnomeBackend> backend(
        new GnomeBackend(std::move(sysfsRoot), std::move(deviceRoot)));
    backend->m_stale.store(true);
    backend->refresh(deadline);
    if (unanswered)
        *unanswered = backend->m_noAnswer;
    if (!backend->m_valid) {
        if (error)
            *error = backend->m_noAnswer
                         ? "GNOME's display service on the session bus does not answer within " +
                               std::to_string(OperationDeadline::DefaultMs / 1000) +
                               " s (is the compositor frozen?)"
                         : "GNOME's display service does not answer (" + backend->m_error + ")";
        return nullptr;
    }
    backend->m_firstSeen = backend->m_state;
    return backend;
}

GnomeBackend::GnomeBackend(std::string sysfsRoot, std::string deviceRoot)
    : SnapshotBackend(std::move(sysfsRoot), std::move(deviceRoot))
{
    if (!m_client.isConnected(nullptr))
        return;
    m_watcher = new DisplayConfigWatcher(&m_stale);
    m_watcher->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("gnome-display-config"));
    m_thread.start();
    // Subscribed before the first answer is read, so no change slips between.
    QMetaObject::invokeMethod(m_watcher, "start", Qt::BlockingQueuedConnection,
                              Q_RETURN_ARG(bool, m_listening));
}

GnomeBackend::~GnomeBackend()
{
    if (m_watcher && m_thread.isRunning())
        QMetaObject::invokeMethod(m_watcher, "stop", Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_watcher;
}

std::string GnomeBackend::description()
{
    return "GNOME display service on the session bus, " +
           std::to_string(snapshot()->outputs().size()) + " monitor(s), " +
           (m_state.isLogicalLayout() ? "logical" : "physical") + " layout";
}

void GnomeBackend::setChangeCallback(ChangeCallback callback)
{
    if (m_watcher)
        m_watcher->setChangeCallback(std::move(callback), m_state);
}

bool GnomeBackend::readNow(const OperationDeadline& deadline)
{
    // Cleared before asking: a change announced meanwhile asks again next time.
    m_stale.store(false);
    DisplayConfigState state;
    m_error.clear();
    m_valid = !deadline.expired() &&
              m_client.currentState(state, &m_error, deadline.remainingMs(), &m_noAnswer);
    if (deadline.expired() && m_error.empty())
        m_error = "no time left to ask";
    if (!m_valid) {
        m_stale.store(true);
        return false;
    }
    m_state = std::move(state);
    return true;
}

SnapshotBackend::Reading GnomeBackend::readOutputs(std::vector<OutputSnapshot::Output>& outputs,
                                                   const OperationDeadline& deadline)
{
    if (m_valid && m_listening && !m_stale.load())
        return Reading::Unchanged;
    if (!readNow(deadline))
        return Reading::Failed;
    outputs = DisplayConfigLayout::outputsOf(m_state);
    for (size_t i = 0; i < outputs.size(); ++i) {
        const Edid& edid = edidOf(m_state.monitors[int(i)]);
        outputs[i].edid = edid.bytes;
        outputs[i].card = edid.card;
    }
    return Reading::Read;
}

const GnomeBackend::Edid& GnomeBackend::edidOf(const DisplayConfigMonitor& monitor)
{
    const DisplayConfigMonitorSpec& id = monitor.monitorId;
    const QString identity =
        QStringList({id.connector, id.vendor, id.product, id.serial}).join(QChar('/'));
    auto it = m_edids.find(identity);
    if (it == m_edids.end()) {
        Edid edid;
        if (auto connector =
                SysfsReader::connectorShowing(sysfsRoot(), id.connector.toStdString(),
                                              id.vendor.toStdString(), id.serial.toStdString())) {
            edid.bytes = std::move(connector->edid);
            edid.card = connector->card;
        }
        // Shorter than a base block is no EDID at all.
        if (edid.bytes.size() < 128)
            edid.bytes.clear();
        it = m_edids.emplace(identity, std::move(edid)).first;
    }
    return it->second;
}

int32_t GnomeBackend::changeDisplaySettings(const std::string& output, const ModeRecord* mode)
{
    m_changeError.clear();
    const OperationDeadline deadline;
    return mode ? switchMode(output, *mode, deadline) : restoreFirstSeen(deadline);
}

std::string GnomeBackend::lastChangeError() const
{
    return m_changeError;
}

int32_t GnomeBackend::failed(const std::string& why)
{
    m_changeError = why;
    qInfo("gnome: %s", why.c_str());
    return ChangeFailed;
}

int32_t GnomeBackend::switchMode(const std::string& output, const ModeRecord& mode,
                                 const OperationDeadline& deadline)
{
    // A mode the monitor does not list is refused before asking anyone.
    {
        const std::shared_ptr<const OutputSnapshot> outputs = snapshot();
        const OutputSnapshot::Output* found = outputs->find(output);
        if (!found)
            return failed(output + " is not connected");
        if (!outputs->modeIndex(*found, mode))
            return ChangeBadMode;
    }

    // The change is made against the service's latest state and serial.
    m_stale.store(true);
    const std::shared_ptr<const OutputSnapshot> outputs = refresh(deadline);
    const OutputSnapshot::Output* found = outputs->find(output);
    if (!isValid())
        return failed(m_error);
    if (!found)
        return failed(output + " is not connected");
    const std::optional<size_t> index = outputs->modeIndex(*found, mode);
    if (!index)
        return ChangeBadMode;
    std::string why;
    const std::optional<DisplayConfigAssignments::List> assignments =
        DisplayConfigAssignments::withMode(m_state, QString::fromStdString(output), int(*index),
                                           &why);
    if (!assignments)
        return failed(why);
    return apply(*assignments, deadline);
}

int32_t GnomeBackend::restoreFirstSeen(const OperationDeadline& deadline)
{
    if (!m_firstSeen)
        return failed("no layout was seen");
    m_stale.store(true);
    refresh(deadline);
    if (!isValid())
        return failed(m_error);
    // Applying the layout that holds would only announce a change that did
    // not happen, which running tests take for a system event.
    const DisplayConfigAssignments::List wanted =
        DisplayConfigAssignments::restored(*m_firstSeen, m_state);
    if (DisplayConfigAssignments::same(wanted, DisplayConfigAssignments::current(m_state)))
        return ChangeSuccessful;
    return apply(wanted, deadline);
}

int32_t GnomeBackend::apply(const DisplayConfigAssignments::List& assignments,
                            const OperationDeadline& deadline)
{
    std::string error;
    const bool applied = !deadline.expired() && m_client.applyMonitorsConfig(
                                                    m_state.serial, DisplayConfigClient::Temporary,
                                                    assignments, &error, deadline.remainingMs());
    // Read back within what is left; a later question reads again otherwise.
    m_stale.store(true);
    if (!deadline.expired())
        refresh(deadline);
    if (!applied)
        return failed(error.empty() ? "ApplyMonitorsConfig: no time left to ask" : error);
    return ChangeSuccessful;
}
