// A separate process for tests that need one. Usage:
//   tavrin_test_helper sleep <ms>           prints "ready", then sleeps
//   tavrin_test_helper exit <code>          exits with the code at once
//   tavrin_test_helper abort                ends abnormally
//   tavrin_test_helper hold-mutex <ms> <name>...
//                                           prints "locked" and holds the application mutexes
//                                           for <ms>, or prints "busy" (another process holds
//                                           one) or "unavailable" and exits with 1
//   tavrin_test_helper qt-fatal <logdir> <text>
//                                           logs to glog files in <logdir> through the Qt log
//                                           handler, then calls qFatal(<text>)
//   tavrin_test_helper write-args <file> [<argument>...]
//                                           writes its pid and then each argument on a line of
//                                           its own to <file> (complete or not at all) and
//                                           prints nothing
//   tavrin_test_helper read-ini <file> <key>...
//                                           prints "<key>=<value>" for each key of the INI
//                                           file, "<key>=(none)" for a key it lacks
//   tavrin_test_helper settings-peer <file> <key> <count> <timeout-ms> [<key>=<value>...]
//                                           opens the INI store <file>, writes 1..<count> to
//                                           <key> (one write per event-loop turn) and runs
//                                           until every listed key was notified with its
//                                           value; prints "changed <key> <value>" for each
//                                           notification from outside, then "echoes <n>"
//                                           (notifications of its own key from outside) and
//                                           exits with 0, or prints "timeout" and exits with 1
// Every command prints its answer on one line and flushes, so a test can wait for it.
#include <Tavrin/Util/AppMutexLocker.h>
#include <Tavrin/Util/QtLogHandler.h>

#include <Tavrin/App/Application/SettingsManager.h>

#include <QCoreApplication>
#include <QSaveFile>
#include <QSettings>
#include <QTimer>
#include <QtGlobal>

#include <glog/logging.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

void Say(const char* text)
{
    std::printf("%s\n", text);
    std::fflush(stdout);
}

void SleepMs(const char* ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(ms)));
}

int HoldMutex(int argc, char** argv)
{
    using LockResult = Tavrin::Util::AppMutexLocker::LockResult;
    Tavrin::Util::AppMutexLocker locker(std::vector<std::string>(argv + 3, argv + argc));
    const LockResult result = locker.TryLock();
    if (result != LockResult::Locked) {
        Say(result == LockResult::HeldElsewhere ? "busy" : "unavailable");
        return 1;
    }
    Say("locked");
    SleepMs(argv[2]);
    return 0;
}

int QtFatal(char** argv)
{
    FLAGS_log_dir = argv[2];
    google::InitGoogleLogging("tavrin_test_helper");
    Tavrin::Util::QtLogHandler::GetInstance().Install();
    Say("ready");
    qFatal("%s", argv[3]);
    return 0;
}

int WriteArguments(int argc, char** argv)
{
    QSaveFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly)) {
        return 1;
    }
    file.write(std::to_string(getpid()).c_str());
    for (int i = 3; i < argc; ++i) {
        file.write("\n");
        file.write(argv[i]);
    }
    return file.commit() ? 0 : 1;
}

int ReadIni(int argc, char** argv)
{
    const QSettings ini(QString::fromLocal8Bit(argv[2]), QSettings::IniFormat);
    for (int i = 3; i < argc; ++i) {
        const QString key = QString::fromLocal8Bit(argv[i]);
        const QString value = ini.value(key, QStringLiteral("(none)")).toString();
        std::printf("%s=%s\n", argv[i], value.toUtf8().constData());
    }
    std::fflush(stdout);
    return ini.status() == QSettings::NoError ? 0 : 1;
}

// Prints what other processes change in a store and remembers each key's last value.
class SettingsPeer : public Tavrin::App::ISettingsManagerObserver
{
public:
    SettingsPeer(const std::string& ownKey, std::map<std::string, std::string> expected)
        : m_ownKey(ownKey), m_expected(std::move(expected))
    {
    }

    bool writing = false;
    int echoes = 0;

    bool SeenAllExpected() const
    {
        for (const auto& entry : m_expected) {
            const auto seen = m_last.find(entry.first);
            if (seen == m_last.end() || seen->second != entry.second) {
                return false;
            }
        }
        return true;
    }

    void OnBoolChanged(const std::string& key, bool value, const boost::optional<bool>&) override
    {
        Seen(key, value ? "true" : "false");
    }
    void OnIntChanged(const std::string& key, int value, const boost::optional<int>&) override
    {
        Seen(key, std::to_string(value));
    }
    void OnStringChanged(const std::string& key, const std::string& value,
                         const boost::optional<std::string>&) override
    {
        Seen(key, value);
    }
    void OnByteArrayChanged(const std::string& key, const std::vector<unsigned char>& value,
                            const boost::optional<std::vector<unsigned char>>&) override
    {
        Seen(key, std::string(value.begin(), value.end()));
    }
    void OnInt64Changed(const std::string& key, std::int64_t value,
                        const boost::optional<std::int64_t>&) override
    {
        Seen(key, std::to_string(value));
    }
    void OnDoubleChanged(const std::string& key, double value,
                         const boost::optional<double>&) override
    {
        Seen(key, std::to_string(value));
    }

private:
    void Seen(const std::string& key, const std::string& value)
    {
        if (writing) {
            return;  // the notification of this process's own write
        }
        if (key == m_ownKey) {
            ++echoes;
        }
        m_last[key] = value;
        std::printf("changed %s %s\n", key.c_str(), value.c_str());
    }

    const std::string m_ownKey;
    const std::map<std::string, std::string> m_expected;
    std::map<std::string, std::string> m_last;
};

int SettingsPeerRun(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    Tavrin::App::SettingsManager store(QString::fromLocal8Bit(argv[2]), QSettings::IniFormat);
    std::map<std::string, std::string> expected;
    for (int i = 6; i < argc; ++i) {
        const std::string pair = argv[i];
        const std::size_t equals = pair.find('=');
        expected[pair.substr(0, equals)] = equals == std::string::npos ? "" : pair.substr(equals + 1);
    }
    const std::string ownKey = argv[3];
    const int count = std::atoi(argv[4]);
    SettingsPeer peer(ownKey, expected);
    store.RegisterObserver(&peer);

    int written = 0;
    QTimer step;
    QObject::connect(&step, &QTimer::timeout, [&] {
        if (written < count) {
            peer.writing = true;
            store.SetInt(ownKey, ++written);
            peer.writing = false;
        } else if (peer.SeenAllExpected()) {
            application.exit(0);
        } else {
            step.setInterval(5);  // written all: only wait for the others now
        }
    });
    step.start(0);
    QTimer::singleShot(std::atoi(argv[5]), [&application] { application.exit(1); });
    const int result = application.exec();
    store.UnregisterObserver(&peer);
    std::printf("%s\n", result == 0 ? "done" : "timeout");
    std::printf("echoes %d\n", peer.echoes);
    std::fflush(stdout);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "sleep" && argc > 2) {
        Say("ready");
        SleepMs(argv[2]);
        return 0;
    }
    if (command == "exit" && argc > 2) {
        return std::atoi(argv[2]);
    }
    if (command == "hold-mutex" && argc > 3) {
        return HoldMutex(argc, argv);
    }
    if (command == "qt-fatal" && argc > 3) {
        return QtFatal(argv);
    }
    if (command == "write-args" && argc > 2) {
        return WriteArguments(argc, argv);
    }
    if (command == "read-ini" && argc > 2) {
        return ReadIni(argc, argv);
    }
    if (command == "settings-peer" && argc > 5) {
        return SettingsPeerRun(argc, argv);
    }
    if (command == "abort") {
        std::abort();
    }
    std::fprintf(stderr, "unknown command\n");
    return 64;
}
