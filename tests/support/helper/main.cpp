// A separate process for tests that need one. Usage:
//   tavrin_test_helper sleep <ms>           prints "ready", then sleeps
//   tavrin_test_helper exit <code>          exits with the code at once
//   tavrin_test_helper hold-mutex <ms> <name>...
//                                           prints "locked" and holds the application mutexes
//                                           for <ms>, or prints "busy" (another process holds
//                                           one) or "unavailable" and exits with 1
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
//                                           notification from outside, then "done" and
//                                           "echoes <n>" (notifications of its own key from
//                                           outside) and exits with 0, or prints "timeout",
//                                           "echoes <n>" and exits with 1
// Every command prints its answer on one line and flushes, so a test can wait for it.
#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/Util/AppMutexLocker.h>

#include <QCoreApplication>
#include <QSaveFile>
#include <QSettings>
#include <QThread>
#include <QTimer>

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

void Say(const char* text)
{
    std::printf("%s\n", text);
    std::fflush(stdout);
}

int AnswerThenSleep(const char* answer, const char* ms)
{
    Say(answer);
    QThread::msleep(std::atol(ms));
    return 0;
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
    return AnswerThenSleep("locked", argv[2]);
}

int WriteArguments(int argc, char** argv)
{
    QSaveFile file(QString::fromLocal8Bit(argv[2]));
    file.open(QIODevice::WriteOnly);
    file.write(std::to_string(getpid()).c_str());
    for (int i = 3; i < argc; ++i)
        file.write("\n" + QByteArray(argv[i]));
    return file.commit() ? 0 : 1;
}

int ReadIni(int argc, char** argv)
{
    const QSettings ini(QString::fromLocal8Bit(argv[2]), QSettings::IniFormat);
    for (int i = 3; i < argc; ++i) {
        const QString value = ini.value(argv[i], QStringLiteral("(none)")).toString();
        std::printf("%s=%s\n", argv[i], value.toUtf8().constData());
    }
    std::fflush(stdout);
    return ini.status() == QSettings::NoError ? 0 : 1;
}

// Prints what other processes change in a store and remembers each key's last value.
class SettingsPeer : public Tavrin::App::ISettingsManagerObserver
{
    using String = const std::string&;
    using Bytes = std::vector<unsigned char>;
    template <typename T>
    using Old = const boost::optional<T>&;  // the value before, which the peer does not print

public:
    explicit SettingsPeer(const std::string& ownKey) : m_ownKey(ownKey) {}

    bool writing = false;
    int echoes = 0;
    std::map<std::string, std::string> last;

    void OnBoolChanged(String key, bool value, Old<bool>) override { Seen(key, value); }
    void OnIntChanged(String key, int value, Old<int>) override { Seen(key, value); }
    void OnStringChanged(String key, String value, Old<std::string>) override { Seen(key, value); }
    void OnByteArrayChanged(String key, const Bytes& value, Old<Bytes>) override
    {
        Seen(key, value);
    }
    void OnInt64Changed(String key, int64_t value, Old<int64_t>) override { Seen(key, value); }
    void OnDoubleChanged(String key, double value, Old<double>) override { Seen(key, value); }

private:
    static std::string Text(bool value) { return value ? "true" : "false"; }
    static std::string Text(const std::string& value) { return value; }
    static std::string Text(const Bytes& value) { return {value.begin(), value.end()}; }
    static std::string Text(int value) { return std::to_string(value); }
    static std::string Text(int64_t value) { return std::to_string(value); }
    static std::string Text(double value) { return std::to_string(value); }

    template <typename T>
    void Seen(const std::string& key, const T& value)
    {
        if (writing)
            return;  // the notification of this process's own write
        echoes += key == m_ownKey;
        last[key] = Text(value);
        std::printf("changed %s %s\n", key.c_str(), last[key].c_str());
    }

    const std::string m_ownKey;
};

int SettingsPeerRun(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    Tavrin::App::SettingsManager store(QString::fromLocal8Bit(argv[2]), QSettings::IniFormat);
    std::map<std::string, std::string> expected;
    for (int i = 6; i < argc; ++i) {
        const QString pair = QString::fromLocal8Bit(argv[i]);
        expected[pair.section('=', 0, 0).toStdString()] = pair.section('=', 1).toStdString();
    }
    const int count = std::atoi(argv[4]);
    SettingsPeer peer(argv[3]);
    store.RegisterObserver(&peer);
    QTimer step;
    QObject::connect(&step, &QTimer::timeout, [&, written = 0]() mutable {
        if (written < count) {
            peer.writing = true;
            store.SetInt(argv[3], ++written);
            peer.writing = false;
        } else if (std::includes(peer.last.begin(), peer.last.end(), expected.begin(),
                                 expected.end())) {
            application.exit(0);  // every key's last value is the expected one
        } else {
            step.setInterval(5);  // written all: only wait for the others now
        }
    });
    step.start(0);
    QTimer::singleShot(std::atoi(argv[5]), [&application] { application.exit(1); });
    const int result = application.exec();
    store.UnregisterObserver(&peer);
    std::printf("%s\nechoes %d\n", result == 0 ? "done" : "timeout", peer.echoes);
    std::fflush(stdout);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    // Each command with the number of arguments it needs at least, its own name included.
    const std::map<std::string, std::pair<int, int (*)(int, char**)>> commands = {
        {"sleep", {3, [](int, char** argv) { return AnswerThenSleep("ready", argv[2]); }}},
        {"exit", {3, [](int, char** argv) { return std::atoi(argv[2]); }}},
        {"hold-mutex", {4, HoldMutex}},
        {"write-args", {3, WriteArguments}},
        {"read-ini", {3, ReadIni}},
        {"settings-peer", {6, SettingsPeerRun}},
    };
    const auto command = commands.find(argc > 1 ? argv[1] : "");
    if (command == commands.end() || argc < command->second.first) {
        std::fprintf(stderr, "unknown command\n");
        return 64;
    }
    return command->second.second(argc, argv);
}
