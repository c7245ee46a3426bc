#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace Tavrin {
namespace Core {

// A product version: the numbers it was built from, most significant first
// (Version(14, 5, 0) holds exactly three numbers).
class TAVRIN_APP_EXPORT Version
{
public:
    Version() = default;
    Version(std::initializer_list<std::uint32_t> numbers);
    Version(std::uint32_t major, std::uint32_t minor);
    Version(std::uint32_t major, std::uint32_t minor, std::uint32_t build);
    Version(std::uint32_t major, std::uint32_t minor, std::uint32_t build,
            std::uint32_t revision);

    // Parses "14.5.0"; returns an empty version when any part is not a number.
    static Version FromString(const std::string& text);

    const std::vector<std::uint32_t>& Numbers() const { return m_numbers; }
    bool IsEmpty() const { return m_numbers.empty(); }
    // The number at the given position, 0 where the version has none.
    std::uint32_t At(std::size_t index) const;

    // Compares number by number; a missing number counts as 0, so 14.5 == 14.5.0.
    int Compare(const Version& other) const;

    friend bool operator==(const Version& a, const Version& b) { return a.Compare(b) == 0; }
    friend bool operator!=(const Version& a, const Version& b) { return a.Compare(b) != 0; }
    friend bool operator<(const Version& a, const Version& b) { return a.Compare(b) < 0; }
    friend bool operator>(const Version& a, const Version& b) { return a.Compare(b) > 0; }
    friend bool operator<=(const Version& a, const Version& b) { return a.Compare(b) <= 0; }
    friend bool operator>=(const Version& a, const Version& b) { return a.Compare(b) >= 0; }

private:
    std::vector<std::uint32_t> m_numbers;
};

}  // namespace Core
}  // namespace Tavrin
