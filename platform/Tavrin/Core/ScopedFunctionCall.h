#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <functional>

namespace Tavrin {
namespace Core {

// Runs onEnter now and onExit when the scope ends, however it ends. When onEnter throws,
// the object is never constructed and onExit does not run.
class TAVRIN_APP_EXPORT ScopedFunctionCall
{
public:
    ScopedFunctionCall(std::function<void()> onEnter, std::function<void()> onExit,
                       bool callOnEnter = true);
    // An exception from onExit is logged and swallowed: it may run during unwinding.
    ~ScopedFunctionCall();
    ScopedFunctionCall(const ScopedFunctionCall&) = delete;
    ScopedFunctionCall& operator=(const ScopedFunctionCall&) = delete;

    // onExit will not run.
    void Dismiss();

private:
    std::function<void()> m_onExit;
};

}  // namespace Core
}  // namespace Tavrin
