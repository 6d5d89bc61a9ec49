#include "CliProcess.h"

#include <QJsonDocument>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

namespace {
QString cliPath()
{
    return qEnvironmentVariable("HOST_CLI");
}
} // namespace

CliProcess CliProcess::run(const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    process.start(cliPath(), arguments);
    CliProcess result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "the CLI did not finish: " << arguments.join(' ').toStdString();
    }
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

CliProcess CliProcess::interrupt(const QStringList& arguments, const QByteArray& marker,
                                 int interrupts)
{
    QProcess process;
    CliProcess result;
    process.start(cliPath(), arguments);
    EXPECT_TRUE(process.waitForStarted());
    QByteArray seen;
    for (int i = 0; i < 300 && !seen.contains(marker); ++i) {
        process.waitForReadyRead(100);
        const QByteArray out = process.readAllStandardOutput();
        const QByteArray err = process.readAllStandardError();
        result.out += out;
        result.err += err;
        seen += out + err;
    }
    EXPECT_TRUE(seen.contains(marker)) << seen.toStdString();
    for (int i = 0; i < interrupts; ++i) {
        kill(static_cast<pid_t>(process.processId()), SIGINT);
        if (i + 1 < interrupts)
            process.waitForFinished(200);
    }
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "the CLI did not stop after Ctrl+C";
    }
    result.out += process.readAllStandardOutput();
    result.err += process.readAllStandardError();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

QJsonObject CliProcess::json() const
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n"
                                                     << describe().toStdString();
    return document.object();
}

QString CliProcess::describe() const
{
    return QStringLiteral("exit %1\nstdout:\n%2\nstderr:\n%3")
        .arg(exitCode)
        .arg(QString::fromUtf8(out), QString::fromUtf8(err));
}

QString fakeModuleOption()
{
    return "--module-path=" + qEnvironmentVariable("HOST_FAKE_MODULE");
}

QString sourcePath(const QString& relative)
{
    return qEnvironmentVariable("MODULE_DISPLAY_SOURCE_DIR") + "/" + relative;
}
