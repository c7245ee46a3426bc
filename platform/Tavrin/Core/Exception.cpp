#include "Tavrin/Core/Exception.h"

namespace Tavrin {

Exception::~Exception() noexcept = default;

const char* Exception::what() const noexcept
{
    // The stored string lives as long as the exception, so its buffer may be returned.
    if (const std::string* description = boost::get_error_info<TagDescription>(*this)) {
        return description->c_str();
    }
    return "Tavrin::Exception";
}

std::string GetDescription(const boost::exception& exception)
{
    if (const std::string* description = boost::get_error_info<TagDescription>(exception)) {
        return *description;
    }
    if (const auto* standard = dynamic_cast<const std::exception*>(&exception)) {
        return standard->what();
    }
    return {};
}

std::string GetCallStack(const boost::exception& exception)
{
    const std::string* stack = boost::get_error_info<TagCallStack>(exception);
    return stack ? *stack : std::string();
}

namespace Core {

IOException::~IOException() noexcept = default;

}  // namespace Core
}  // namespace Tavrin
