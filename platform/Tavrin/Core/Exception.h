#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/StackTrace.h>

#include <boost/exception/error_info.hpp>
#include <boost/exception/exception.hpp>
#include <boost/exception/get_error_info.hpp>
#include <boost/exception/info.hpp>
#include <boost/throw_exception.hpp>

#include <exception>
#include <string>

namespace Tavrin {

using TagDescription = boost::error_info<struct TagDescription_, std::string>;
using TagCallStack = boost::error_info<struct TagCallStack_, std::string>;

// Base of the exceptions this library throws. Throw with TAVRIN_THROW so that the
// description, the call stack and the throwing location travel with it.
struct TAVRIN_APP_EXPORT Exception : virtual std::exception, virtual boost::exception
{
    ~Exception() noexcept override;
    // The description, or a generic text when there is none.
    const char* what() const noexcept override;
};

// The description attached to the exception; for one without, its what() when it is a
// std::exception, else an empty string.
TAVRIN_APP_EXPORT std::string GetDescription(const boost::exception& exception);

// The call stack recorded where the exception was thrown, or an empty string.
TAVRIN_APP_EXPORT std::string GetCallStack(const boost::exception& exception);

namespace Core {

struct TAVRIN_APP_EXPORT IOException : Tavrin::Exception
{
    ~IOException() noexcept override;
};

}  // namespace Core
}  // namespace Tavrin

// Throws ExceptionType carrying the description, the current call stack and the
// function, file and line of the throw.
#define TAVRIN_THROW(ExceptionType, description)                                \
    BOOST_THROW_EXCEPTION(ExceptionType()                                       \
                          << ::Tavrin::TagDescription(std::string(description)) \
                          << ::Tavrin::TagCallStack(::Tavrin::Core::StackTrace::GetCallStack()))
