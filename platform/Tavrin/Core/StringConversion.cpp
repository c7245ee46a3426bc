#include "Tavrin/Core/StringConversion.h"

#include "Tavrin/Core/Utf8_p.h"

#include <cstdint>

namespace Tavrin {
namespace Core {

static_assert(sizeof(wchar_t) == 4, "wchar_t must hold UTF-32 on this platform");

namespace Utf8 {

namespace {

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

bool IsScalarValue(char32_t value)
{
    return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

// The allowed range of the second byte depends on the lead byte; this is what rules out
// overlong forms, surrogates and values beyond U+10FFFF before anything is decoded.
struct LeadInfo
{
    int length;  // 0: the byte cannot start a sequence
    unsigned char secondMin;
    unsigned char secondMax;
};

LeadInfo InspectLead(unsigned char lead)
{
    if (lead < 0x80) {
        return {1, 0, 0};
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return {2, 0x80, 0xBF};
    }
    if (lead == 0xE0) {
        return {3, 0xA0, 0xBF};
    }
    if (lead == 0xED) {
        return {3, 0x80, 0x9F};
    }
    if (lead >= 0xE1 && lead <= 0xEF) {
        return {3, 0x80, 0xBF};
    }
    if (lead == 0xF0) {
        return {4, 0x90, 0xBF};
    }
    if (lead >= 0xF1 && lead <= 0xF3) {
        return {4, 0x80, 0xBF};
    }
    if (lead == 0xF4) {
        return {4, 0x80, 0x8F};
    }
    return {0, 0, 0};
}

}  // namespace

bool Decode(const std::string& text, std::size_t& pos, char32_t& value)
{
    const auto byteAt = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    value = kReplacement;
    const unsigned char lead = byteAt(pos++);
    const LeadInfo info = InspectLead(lead);
    if (info.length == 0) {
        return false;
    }
    if (info.length == 1) {
        value = lead;
        return true;
    }
    if (pos >= text.size() || byteAt(pos) < info.secondMin || byteAt(pos) > info.secondMax) {
        return false;
    }
    const unsigned char leadMask = info.length == 2 ? 0x1F : info.length == 3 ? 0x0F : 0x07;
    char32_t decoded = lead & leadMask;
    for (int i = 1; i < info.length; ++i) {
        if (pos >= text.size() || !IsContinuation(byteAt(pos))) {
            return false;
        }
        decoded = (decoded << 6) | (byteAt(pos++) & 0x3F);
    }
    value = decoded;
    return true;
}

void Append(std::string& out, char32_t value)
{
    if (!IsScalarValue(value)) {
        value = kReplacement;
    }
    if (value < 0x80) {
        out += static_cast<char>(value);
    } else if (value < 0x800) {
        out += static_cast<char>(0xC0 | (value >> 6));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        out += static_cast<char>(0xE0 | (value >> 12));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (value >> 18));
        out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
}

}  // namespace Utf8

std::wstring WstringFromUtf8(const std::string& utf8)
{
    std::wstring result;
    result.reserve(utf8.size());
    std::size_t pos = 0;
    char32_t value = 0;
    while (pos < utf8.size()) {
        Utf8::Decode(utf8, pos, value);
        result += static_cast<wchar_t>(value);
    }
    return result;
}

std::string Utf8FromWstring(const std::wstring& text)
{
    std::string result;
    result.reserve(text.size());
    for (wchar_t c : text) {
        // Negative values turn into huge ones here and so become U+FFFD as well.
        Utf8::Append(result, static_cast<char32_t>(static_cast<std::uint32_t>(c)));
    }
    return result;
}

}  // namespace Core
}  // namespace Tavrin
