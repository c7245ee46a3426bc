// A separate process for tests that need one. Usage:
//   tavrin_test_helper sleep <ms>           prints "ready", then sleeps
//   tavrin_test_helper exit <code>          exits with the code at once
//   tavrin_test_helper abort                ends abnormally
// Every command prints its answer on one line and flushes, so a test can wait for it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

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
    if (command == "abort") {
        std::abort();
    }
    std::fprintf(stderr, "unknown command\n");
    return 64;
}
