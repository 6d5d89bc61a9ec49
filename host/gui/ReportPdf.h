#pragma once

#include <QDateTime>
#include <QString>

class SessionReport;

// Draws a session report as a PDF, page by page: a running header with the
// machine, date, ticket and page number on every page, the session's fields
// and a verdict line per display, then per display its identity and its runs
// as a table whose header row repeats on each page and whose rows are never
// split across pages.
class ReportPdf
{
public:
    static bool write(const SessionReport& report, const QString& path, const QDateTime& date,
                      QString* error);
};
