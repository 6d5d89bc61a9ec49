#pragma once

#include "host/gui/DisplayEntry.h"
#include "host/runtime/RunRecord.h"

#include <QDateTime>
#include <QStringList>

#include <string>
#include <vector>

// The results of every run since the user last cleared them: per test the
// display, the record the runner kept, the translated test name, result and
// messages, and when it started and ended. Saved as the runs document with
// the machine, the date and the module's version added, or as a readable
// report (HTML, or PDF through Qt's text document and PDF writer).
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

    void add(Entry entry) { m_entries.push_back(std::move(entry)); }
    void clear() { m_entries.clear(); }
    bool isEmpty() const { return m_entries.empty(); }
    const std::vector<Entry>& entries() const { return m_entries; }

    // The runs document of the command line with "hostName", "date" and
    // "moduleVersion" first.
    std::string json(const QDateTime& date) const;
    QString html(const QDateTime& date) const;

    // The format follows the file's suffix: .json, .html/.htm or .pdf.
    bool save(const QString& path, const QDateTime& date, QString* error) const;

private:
    QString m_moduleVersion;
    QString m_hostName;
    std::vector<Entry> m_entries;
};
