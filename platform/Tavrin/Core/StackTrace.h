#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <string>

namespace Tavrin {
namespace Core {

// The call stack of the current thread, as text for logs and exceptions. Only functions
// with visible symbols (exported from a shared library) are named; others show their
// module and address.
class TAVRIN_APP_EXPORT StackTrace
{
public:
    // The application says once its log is set up; until then stacks go to stderr.
    static void SetLogsInitialized(bool initialized);
    static bool AreLogsInitialized();

    // One frame per line, "#<n> <module>: <function>+<offset> [<address>]", innermost
    // first, starting with the caller of GetCallStack; skipFrames drops that many more.
    static std::string GetCallStack(int skipFrames = 0);

    // Writes the reason and the caller's stack at ERROR level (or to stderr, see above).
    static void LogCallStack(const std::string& reason);
};

}  // namespace Core
}  // namespace Tavrin
