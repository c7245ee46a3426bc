#include "Tavrin/Core/DataInput.h"

#include <algorithm>
#include <cstring>

namespace Tavrin {
namespace Core {

IDataInput::~IDataInput() = default;

namespace {

class StringInput final : public RefCounted<IDataInput>
{
public:
    explicit StringInput(const std::string* text) : m_text(text) {}

    std::size_t Read(void* buffer, std::size_t size) override
    {
        if (!buffer || AtEnd()) {
            return 0;
        }
        const std::size_t count = std::min(size, m_text->size() - m_position);
        std::memcpy(buffer, m_text->data() + m_position, count);
        m_position += count;
        return count;
    }

    // Checked against the current size on every call, so a string that shrank is simply
    // exhausted instead of read out of bounds.
    bool AtEnd() const override { return !m_text || m_position >= m_text->size(); }

private:
    const std::string* m_text;
    std::size_t m_position = 0;
};

}  // namespace

boost::intrusive_ptr<IDataInput> DataInputString::Create(const std::string* text)
{
    return boost::intrusive_ptr<IDataInput>(new StringInput(text));
}

std::string ReadAll(IDataInput& input)
{
    std::string result;
    char chunk[64 * 1024];
    while (const std::size_t count = input.Read(chunk, sizeof chunk)) {
        // An input claiming more than the buffer holds must not make us read past it.
        result.append(chunk, std::min(count, sizeof chunk));
    }
    return result;
}

}  // namespace Core
}  // namespace Tavrin
