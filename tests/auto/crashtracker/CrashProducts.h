#pragma once
// Product processes (crash_product) for the crash tracker tests, and their session files.

#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

namespace CrashTest {

const int kWaitMs = 30000;

// The "key=value" lines of a session file, sorted.
inline QStringList Entries(const QString& path)
{
    QStringList entries = Tavrin::Test::ReadLines(path).filter("=");
    entries.sort();
    return entries;
}

// Whether the file holds nothing but well-formed "pid=session id" entries under [General].
inline bool IsWellFormed(const QString& path)
{
    static const QRegularExpression line("^(\\[General\\]|[1-9][0-9]*=\\d{6}-\\d{6}-\\d{6})$");
    const QStringList lines = Tavrin::Test::ReadLines(path);
    return lines == QStringList{"(missing)"} ? !QFile::exists(path)
                                             : lines.filter(line).size() == lines.size();
}

// The session file of `program` run under `application` as its application name.
inline QString ProductFile(const QString& application, const QString& program = "crash_product")
{
    return Tavrin::Test::SandboxDir() + "/home/.local/share/Tavrin Test/" + application +
           "/Tavrin/clipcrafter 14.5.0/" + program + ".ini";
}

// A product process with a tracker, and its report; killed and reaped when it goes.
struct Product
{
    explicit Product(
        const QStringList& arguments, const QString& program = CRASH_PRODUCT_EXECUTABLE,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
    }
    ~Product() { Kill(); }
    // Reads the report; false when none comes within `waitMs`.
    bool Ready(int waitMs = kWaitMs)
    {
        const QDeadlineTimer deadline(waitMs);
        while (!process.canReadLine() && process.waitForReadyRead(deadline.remainingTime())) {
        }
        const QStringList words = QString(process.readLine()).trimmed().split(' ');
        session = words.value(1);
        crashed = words.mid(2);
        crashed.sort();
        return words.value(0) == "ready";
    }
    void Kill()
    {
        process.kill();
        process.waitForFinished(kWaitMs);
    }
    // Ends the product: normally, or through abort() with "abort".
    bool End(const QByteArray& order = "exit")
    {
        process.write(order + "\n");
        process.closeWriteChannel();
        return process.waitForFinished(kWaitMs);
    }
    QString Entry() const { return QString::number(process.processId()) + "=" + session; }

    QProcess process;
    QString session;
    QStringList crashed;
};

// The crashed sessions that a product started now reports, sorted.
inline QStringList NextStartReports(const QString& application)
{
    Product run({application});
    const bool ended = run.Ready() && run.End();
    return ended && run.process.exitCode() == 0 ? run.crashed : QStringList{"(no clean run)"};
}

}  // namespace CrashTest
