#pragma once

#include <cstddef>
#include <string>

namespace Tavrin {
namespace Core {
namespace Utf8 {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes the character at pos and moves pos past it. An invalid sequence consumes its
// maximal valid prefix (at least one byte), sets value to U+FFFD and returns false.
bool Decode(const std::string& text, std::size_t& pos, char32_t& value);

// Appends the character; anything that is not a Unicode scalar value becomes U+FFFD.
void Append(std::string& out, char32_t value);

}  // namespace Utf8
}  // namespace Core
}  // namespace Tavrin
