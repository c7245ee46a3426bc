#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/RefCount.h>

#include <boost/intrusive_ptr.hpp>

#include <cstddef>
#include <string>

namespace Tavrin {
namespace Core {

// A source of bytes read front to back.
class TAVRIN_APP_EXPORT IDataInput : public Tavrin::IRefCountable
{
public:
    // Copies up to size bytes into buffer; returns how many, 0 once the input is exhausted.
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
    virtual bool AtEnd() const = 0;

protected:
    ~IDataInput() override;
};

class TAVRIN_APP_EXPORT DataInputString
{
public:
    // Reads the bytes of *text without copying them: the string must outlive the input
    // and stay unchanged while it is read. A null pointer gives an empty input.
    static boost::intrusive_ptr<IDataInput> Create(const std::string* text);
};

// Everything left in the input.
TAVRIN_APP_EXPORT std::string ReadAll(IDataInput& input);

}  // namespace Core
}  // namespace Tavrin
