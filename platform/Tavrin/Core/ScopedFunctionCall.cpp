#include "Tavrin/Core/ScopedFunctionCall.h"

#include "Tavrin/Core/StackTrace.h"

#include <exception>
#include <string>
#include <utility>

namespace Tavrin {
namespace Core {

ScopedFunctionCall::ScopedFunctionCall(std::function<void()> onEnter, std::function<void()> onExit,
                                       bool callOnEnter)
    : m_onExit(std::move(onExit))
{
    if (callOnEnter && onEnter) {
        onEnter();
    }
}

ScopedFunctionCall::~ScopedFunctionCall()
{
    if (!m_onExit) {
        return;
    }
    try {
        m_onExit();
    } catch (const std::exception& error) {
        StackTrace::LogCallStack(std::string("Scope exit function threw: ") + error.what());
    } catch (...) {
        StackTrace::LogCallStack("Scope exit function threw an unknown exception");
    }
}

void ScopedFunctionCall::Dismiss()
{
    m_onExit = nullptr;
}

}  // namespace Core
}  // namespace Tavrin
