#include <Tavrin/Core/Exception.h>
#include <Tavrin/Core/Property.h>
#include <Tavrin/Core/ScopedFunctionCall.h>
#include <Tavrin/Core/StackTrace.h>

#include "TestSupport.h"

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using Tavrin::Core::IOException;
using Tavrin::Core::ScopedFunctionCall;
using Tavrin::Core::StackTrace;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

// The frame lines, checking their numbers and then dropping them.
std::vector<std::string> Frames(const std::string& stack)
{
    std::vector<std::string> frames;
    std::istringstream in(stack);
    for (std::string line; std::getline(in, line);) {
        EXPECT_EQ(line.rfind("#" + std::to_string(frames.size()) + " ", 0), 0u) << line;
        frames.push_back(line.substr(line.find(' ') + 1));
    }
    return frames;
}

struct CollectingSink : google::LogSink
{
    using google::LogSink::send;
    void send(google::LogSeverity severity, const char*, const char*, int,
              const google::LogMessageTime&, const char* message, size_t length) override
    {
        messages.push_back(std::to_string(severity) + ":" + std::string(message, length));
    }
    std::vector<std::string> messages;
};

}  // namespace

TEST(Exception, ThrowCarriesDescriptionStackAndLocation)
{
    const int line = __LINE__ + 2;
    try {
        TAVRIN_THROW(IOException, "config " + std::string("missing"));
        FAIL() << "did not throw";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "config missing");
        const auto& info = dynamic_cast<const boost::exception&>(e);
        EXPECT_EQ(Tavrin::GetDescription(info), "config missing");
        EXPECT_EQ(Tavrin::GetCallStack(info).rfind("#0 ", 0), 0u);
        EXPECT_EQ(*boost::get_error_info<boost::throw_line>(info), line);
        EXPECT_STREQ(*boost::get_error_info<boost::throw_file>(info), __FILE__);
        EXPECT_NE(std::string(*boost::get_error_info<boost::throw_function>(info)).find("TestBody"),
                  std::string::npos);
    }
}

TEST(Exception, TypesAreSharedWithTheLibrary)
{
    // Thrown inside the shared library, caught here by its base type.
    const Tavrin::Core::Property property("root");
    EXPECT_THROW((void)property["absent"], Tavrin::Exception);

    std::exception_ptr stored;
    try {
        TAVRIN_THROW(IOException, "stored for later");
    } catch (const Tavrin::Exception&) {
        stored = std::current_exception();
    }
    try {
        std::rethrow_exception(stored);
    } catch (const IOException& e) {
        EXPECT_EQ(Tavrin::GetDescription(e), "stored for later");
    }
    const Tavrin::Exception bare;
    EXPECT_STRNE(bare.what(), "");
    EXPECT_EQ(Tavrin::GetCallStack(bare), "");
}

TEST(StackTrace, FramesAreNumberedAndSkippable)
{
    const std::vector<std::string> full = Frames(StackTrace::GetCallStack());
    std::vector<std::string> skipped = Frames(StackTrace::GetCallStack(1));
    ASSERT_GE(full.size(), 3u);
    // The same stack below this function, one frame fewer.
    skipped.insert(skipped.begin(), full.front());
    EXPECT_EQ(skipped, full);
    EXPECT_EQ(Frames(StackTrace::GetCallStack(-5)).size(), full.size());
    EXPECT_EQ(StackTrace::GetCallStack(std::numeric_limits<int>::max()), "");

    std::string stack;
    {
        // The exit function runs inside the library's destructor, an exported symbol.
        ScopedFunctionCall call(nullptr, [&stack] { stack = StackTrace::GetCallStack(); });
    }
    EXPECT_NE(stack.find(": Tavrin::Core::ScopedFunctionCall::~ScopedFunctionCall()+0x"),
              std::string::npos)
        << stack;
}

TEST(StackTrace, LogsGoToStderrUntilLoggingIsInitialized)
{
    ASSERT_FALSE(StackTrace::AreLogsInitialized());
    CaptureStderr();
    StackTrace::LogCallStack("reason before logging");
    EXPECT_EQ(GetCapturedStderr().rfind("reason before logging\n#0 ", 0), 0u);

    CollectingSink sink;
    google::AddLogSink(&sink);
    StackTrace::SetLogsInitialized(true);
    CaptureStderr();
    StackTrace::LogCallStack("reason with logging");
    GetCapturedStderr();
    StackTrace::SetLogsInitialized(false);
    google::RemoveLogSink(&sink);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(
        sink.messages[0].rfind(std::to_string(google::GLOG_ERROR) + ":reason with logging\n#0 ", 0),
        0u);
}

TEST(ScopedFunctionCall, RunsExitHoweverTheScopeEnds)
{
    std::string calls;
    {
        ScopedFunctionCall call([&] { calls += "enter,"; }, [&] { calls += "exit"; });
        calls += "body,";
    }
    EXPECT_EQ(calls, "enter,body,exit");
    EXPECT_THROW(
        {
            ScopedFunctionCall call([&] { calls = "enter"; }, [&] { calls += ",exit"; }, false);
            throw std::runtime_error("leaving");
        },
        std::runtime_error);
    EXPECT_EQ(calls, "enter,body,exit,exit");
    // Dismissed, or failed to enter: no exit.
    {
        ScopedFunctionCall call(nullptr, [&] { calls = "dismissed"; });
        call.Dismiss();
    }
    EXPECT_THROW(ScopedFunctionCall([] { throw std::runtime_error("no"); }, [&] { calls = ""; }),
                 std::runtime_error);
    EXPECT_EQ(calls, "enter,body,exit,exit");
}

TEST(ScopedFunctionCall, ThrowingExitIsSwallowedAndLogged)
{
    CaptureStderr();
    {
        ScopedFunctionCall call(nullptr, [] { throw std::runtime_error("exit failed"); });
    }
    // Also while another exception unwinds the scope: that one must still arrive.
    try {
        ScopedFunctionCall call(nullptr, [] { throw 42; });
        throw std::logic_error("original");
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "original");
    }
    const std::string written = GetCapturedStderr();
    EXPECT_NE(written.find("exit failed"), std::string::npos) << written;
    EXPECT_NE(written.find("unknown exception"), std::string::npos) << written;
}
