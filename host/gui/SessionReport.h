#pragma once

#include "host/gui/DisplayEntry.h"
#include "host/runtime/RunRecord.h"

#include <QDateTime>
#include <QStringList>

#include <string>
#include <vector>

// The results of every run since the user last cleared them: per test the
// display, the record the runner kept, the translated test name, result and
// messages, and when it started and ended; and who tested for which ticket.
// Saved as the runs document with the machine, the date, the module's
// version, the technician, ticket and notes and a verdict per display added,
// or as a readable report (HTML, or a PDF drawn page by page): a verdict
// line per display, then per display its identity and its runs.
class SessionReport
{
public:
    struct Entry
    {
        RunRecord record;
        DisplayEntry display;
        QString testName;     // translated
        QString resultName;   // translated
        QStringList messages; // translated
        QDateTime started;    // invalid for a test that did not run
        QDateTime ended;
    };

    void setModuleVersion(const QString& version) { m_moduleVersion = version; }
    void setHostName(const QString& name) { m_hostName = name; }
    void setTechnician(const QString& name) { m_technician = name; }
    void setTicket(const QString& ticket) { m_ticket = ticket; }
    void setNotes(const QString& notes) { m_notes = notes; }

    const QString& hostName() const { return m_hostName; }
    const QString& moduleVersion() const { return m_moduleVersion; }
    const QString& technician() const { return m_technician; }
    const QString& ticket() const { return m_ticket; }
    const QString& notes() const { return m_notes; }

    void add(Entry entry) { m_entries.push_back(std::move(entry)); }
    void clear() { m_entries.clear(); }
    bool isEmpty() const { return m_entries.empty(); }
    const std::vector<Entry>& entries() const { return m_entries; }

    // "dpy2 · E19-7 · VGA-1: FAILED (1 failed, 1 aborted, 7 passed)", one per
    // display, from the latest result of each test.
    QStringList verdictLines() const;

    // The runs document of the command line with "hostName", "date",
    // "moduleVersion", "technician", "ticket", "notes" and "verdicts" first.
    std::string json(const QDateTime& date) const;
    QString html(const QDateTime& date) const;

    // The format follows the file's suffix: .json, .html/.htm or .pdf.
    bool save(const QString& path, const QDateTime& date, QString* error) const;

private:
    std::vector<RunRecord> records() const;

    QString m_moduleVersion;
    QString m_hostName;
    QString m_technician;
    QString m_ticket;
    QString m_notes;
    std::vector<Entry> m_entries;
};
