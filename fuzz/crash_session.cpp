// The crash-session file as a starting tracker reads it: whatever the file holds, the tracker
// starts, reports what it collected and leaves a file it can read again.
#include <Tavrin/App/Application/CrashTracker.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QCoreApplication* g_application = nullptr;
QString g_sessionFile;  // named by the tracker, which may be built only after the file is written

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The file lives in the user's data directory: a private one for the run.
    static QTemporaryDir home;
    if (!home.isValid()) {
        std::abort();
    }
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/share"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/config"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.path() + "/cache"));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path() + "/runtime"));
    QDir().mkpath(home.path() + "/runtime");
    QFile::setPermissions(home.path() + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    g_application = new QCoreApplication(*argc, *argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tavrin Fuzz"));
    QCoreApplication::setApplicationName(QStringLiteral("crash_session"));
    {
        Tavrin::App::CrashTracker probe;
        g_sessionFile = probe.SessionFilePath();
        probe.ClearHistory();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString& path = g_sessionFile;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::abort();
    }
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    {
        Tavrin::App::CrashTracker tracker;
        if (tracker.SessionId().empty() || tracker.BadSessionsList().size() > size) {
            std::abort();  // every collected session is an entry of the file
        }
        tracker.StopSession();
    }
    // What the tracker left is clean: the next start collects nothing.
    Tavrin::App::CrashTracker next;
    if (next.HasUnreportedCrash()) {
        std::abort();
    }
    next.ClearHistory();
    return 0;
}
