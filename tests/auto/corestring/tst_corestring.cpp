#include <Tavrin/Core/StringConversion.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using Tavrin::Core::Utf8FromWstring;
using Tavrin::Core::WstringFromUtf8;

namespace {

std::wstring Fffd(std::size_t count)
{
    return std::wstring(count, static_cast<wchar_t>(0xFFFD));
}

}  // namespace

TEST(StringConversion, RoundTripsEveryEncodingLength)
{
    // 1 to 4 byte forms, U+FFFF, the highest code point and an embedded NUL.
    const std::string utf8("a\0\xC3\xA9\xE2\x82\xAC\xEF\xBF\xBF\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF",
                           18);
    const std::wstring wide = {L'a', 0, 0xE9, 0x20AC, 0xFFFF, 0x1F600, 0x10FFFF};
    EXPECT_EQ(WstringFromUtf8(utf8), wide);
    EXPECT_EQ(Utf8FromWstring(wide), utf8);
    EXPECT_EQ(WstringFromUtf8(""), L"");
}

TEST(StringConversion, ReplacesEachMaximalInvalidSubpartOnce)
{
    const std::pair<std::string, std::wstring> cases[] = {
        {"a\x80z", L"a" + Fffd(1) + L"z"},  // lone continuation byte
        {"\xC0\xAF", Fffd(2)},              // overlong lead
        {"\xE0\x80\xAF", Fffd(3)},          // overlong three-byte form
        {"\xED\xA0\x80", Fffd(3)},          // surrogate
        {"\xF4\x90\x80\x80", Fffd(4)},      // beyond U+10FFFF
        {"\xF5\x80\xFF", Fffd(3)},          // bytes that never occur
        {"\xE2\x82z", Fffd(1) + L"z"},      // truncated: one replacement, next byte kept
        {"\xF0\x9F\x98z", Fffd(1) + L"z"},
        {"z\xF0\x9F\x98", L"z" + Fffd(1)},      // truncated by the end
        {"\xC3\xC3\xA9", Fffd(1) + L"\u00E9"},  // a lead byte cuts the sequence short
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(WstringFromUtf8(input), expected) << testing::PrintToString(input);
    }
}

TEST(StringConversion, InvalidWideValuesEncodeAsReplacement)
{
    const std::string fffd = "\xEF\xBF\xBD";
    for (const wchar_t bad : {0xD800, 0xDFFF, 0x110000, -1}) {
        EXPECT_EQ(Utf8FromWstring(std::wstring{L'x', bad, L'y'}), "x" + fffd + "y") << bad;
    }
}
