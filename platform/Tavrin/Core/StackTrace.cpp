#include "Tavrin/Core/StackTrace.h"

#include <glog/logging.h>

#include <cxxabi.h>
#include <execinfo.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>

namespace Tavrin {
namespace Core {

namespace {

std::atomic<bool> g_logsInitialized{false};

constexpr int kMaxFrames = 128;

std::string Demangle(const std::string& symbol)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(symbol.c_str(), nullptr, nullptr, &status), &std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : symbol;
}

// backtrace_symbols gives "module(symbol+offset) [address]"; the symbol part is mangled
// and may be missing ("module(+offset)" or "module() [address]").
std::string DescribeFrame(const char* raw)
{
    const std::string text(raw ? raw : "?");
    const std::size_t open = text.find('(');
    const std::size_t close = text.find(')', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || close == std::string::npos) {
        return text;
    }
    const std::string module = text.substr(0, open);
    const std::string inside = text.substr(open + 1, close - open - 1);
    const std::string address = text.substr(close + 1);
    const std::size_t plus = inside.find('+');
    const std::string symbol = inside.substr(0, plus);
    const std::string offset = plus == std::string::npos ? std::string() : inside.substr(plus);
    if (symbol.empty()) {
        return module + ":" + (offset.empty() ? std::string() : " " + offset) + address;
    }
    return module + ": " + Demangle(symbol) + offset + address;
}

// The caller's frame is the one that returns to where this call returns; counting frames
// from the top instead would be off by the sanitizers, whose backtrace() adds its own.
int FindCallerFrame(void* const* frames, int count, const void* returnAddress)
{
    for (int i = 0; i < count; ++i) {
        if (frames[i] == returnAddress) {
            return i;
        }
    }
    return count > 1 ? 1 : 0;
}

}  // namespace

void StackTrace::SetLogsInitialized(bool initialized)
{
    g_logsInitialized.store(initialized);
}

bool StackTrace::AreLogsInitialized()
{
    return g_logsInitialized.load();
}

// Never inlined, so that __builtin_return_address(0) is a return address into the caller.
__attribute__((noinline)) std::string StackTrace::GetCallStack(int skipFrames)
{
    void* frames[kMaxFrames];
    const int count = backtrace(frames, kMaxFrames);
    const int caller = FindCallerFrame(frames, count, __builtin_return_address(0));
    const int skip = std::max(skipFrames, 0);
    if (skip >= count - caller) {
        return {};
    }
    const int first = caller + skip;
    std::unique_ptr<char*, decltype(&std::free)> symbols(
        backtrace_symbols(frames + first, count - first), &std::free);
    std::ostringstream out;
    for (int i = 0; i < count - first; ++i) {
        out << '#' << i << ' ';
        if (symbols) {
            out << DescribeFrame(symbols.get()[i]);
        } else {
            out << frames[first + i];
        }
        out << '\n';
    }
    return out.str();
}

void StackTrace::LogCallStack(const std::string& reason)
{
    const std::string stack = GetCallStack(1);
    if (AreLogsInitialized()) {
        LOG(ERROR) << reason << "\n" << stack;
    } else {
        std::cerr << reason << "\n" << stack << std::flush;
    }
}

}  // namespace Core
}  // namespace Tavrin
