#include "Tavrin/Core/Version.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>

namespace Tavrin {
namespace Core {

Version::Version(std::initializer_list<std::uint32_t> numbers) : m_numbers(numbers) {}

Version::Version(std::uint32_t major, std::uint32_t minor) : m_numbers{major, minor} {}

Version::Version(std::uint32_t major, std::uint32_t minor, std::uint32_t build)
    : m_numbers{major, minor, build}
{
}

Version::Version(std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                 std::uint32_t revision)
    : m_numbers{major, minor, build, revision}
{
}

Version Version::FromString(const std::string& text)
{
    Version version;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t dot = std::min(text.find('.', start), text.size());
        const std::string part = text.substr(start, dot - start);
        if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos) {
            return {};
        }
        errno = 0;
        const unsigned long long value = std::strtoull(part.c_str(), nullptr, 10);
        if (errno == ERANGE || value > std::numeric_limits<std::uint32_t>::max()) {
            return {};
        }
        version.m_numbers.push_back(static_cast<std::uint32_t>(value));
        start = dot + 1;
    }
    return version;
}

std::uint32_t Version::At(std::size_t index) const
{
    return index < m_numbers.size() ? m_numbers[index] : 0;
}

int Version::Compare(const Version& other) const
{
    const std::size_t count = std::max(m_numbers.size(), other.m_numbers.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (At(i) != other.At(i)) {
            return At(i) < other.At(i) ? -1 : 1;
        }
    }
    return 0;
}

}  // namespace Core
}  // namespace Tavrin
