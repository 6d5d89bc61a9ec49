#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>

// Runs OrvaneDiagnosticsCLI as a user would and keeps what it printed.
struct CliProcess
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    // Runs the CLI with these arguments; waits at most timeoutMs.
    static CliProcess run(const QStringList& arguments, int timeoutMs = 60000);
    // Runs it and sends SIGINT once standard output or error shows marker.
    static CliProcess interrupt(const QStringList& arguments, const QByteArray& marker,
                                int interrupts = 1);

    // Standard output as a JSON object; fails the current test if invalid.
    QJsonObject json() const;
    QString describe() const;
};

QString fakeModuleOption();
QString sourcePath(const QString& relative);
