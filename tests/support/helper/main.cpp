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
// Every command prints its answer on one line and flushes, so a test can wait for it.
#include <Tavrin/Util/AppMutexLocker.h>
#include <Tavrin/Util/QtLogHandler.h>

#include <QSaveFile>
#include <QtGlobal>

#include <glog/logging.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    if (command == "abort") {
        std::abort();
    }
    std::fprintf(stderr, "unknown command\n");
    return 64;
}
