#include "TestSupport.h"

#include <Tavrin/Core/Version.h>
#include <Tavrin/Util/EmailValidator.h>
#include <Tavrin/Util/SslUsage.h>
#include <Tavrin/Util/StringConversion.h>
#include <Tavrin/Util/VersionToString.h>

#include <QValidator>

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

using namespace Tavrin::Util;
using Tavrin::Core::Version;

namespace {

QValidator::State Validate(const std::string& input)
{
    static const std::unique_ptr<QValidator> validator(GetEmailValidator(nullptr));
    QString text = QString::fromStdString(input);
    int position = text.size();
    return validator->validate(text, position);
}

}  // namespace

TEST(StringConversion, Utf8RoundTripsKeepsNulBytesAndReplacesInvalidBytes)
{
    const std::string text =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x9C\x93 \xF0\x9F\x98\x80";
    EXPECT_EQ(Utf8ToQString(text), QString::fromUtf8(u8"Grüße ✓ 😀"));
    EXPECT_EQ(QStringToUtf8(Utf8ToQString(text)), text);

    const std::string withNul("a\0b\0", 4);
    const QString converted = Utf8ToQString(withNul);
    ASSERT_EQ(converted.size(), 4);
    EXPECT_EQ(converted.at(1), QChar(0));
    EXPECT_EQ(QStringToUtf8(converted), withNul);

    const QChar replacement(0xFFFD);
    EXPECT_EQ(Utf8ToQString("\xFF"), QString(replacement));
    EXPECT_EQ(Utf8ToQString("abc\xC3"), QStringLiteral("abc") + replacement);
}

TEST(StringConversion, EveryByteValueSurvivesTheByteContainers)
{
    std::vector<unsigned char> bytes(256);
    for (int value = 0; value < 256; ++value) {
        bytes[value] = static_cast<unsigned char>(value);
    }
    const QByteArray array = VectorByteToQByteArray(bytes);
    EXPECT_EQ(array, QByteArray(reinterpret_cast<const char*>(bytes.data()), 256));
    EXPECT_EQ(QByteArrayToVectorByte(array), bytes);
    EXPECT_TRUE(QByteArrayToVectorByte(QByteArray()).empty());
}

TEST(VersionToString, DetailSelectsOrPadsTheNumbers)
{
    const Version version(14, 5, 7);
    EXPECT_EQ(VersionToString(version, 0, "."), "14.5.7");
    EXPECT_EQ(VersionToString(version, 2, "."), "14.5");
    EXPECT_EQ(VersionToString(version, 5, ", "), "14, 5, 7, 0, 0");
    EXPECT_EQ(VersionToString(version, -4, "."), "14.5.7");
    EXPECT_EQ(VersionToString(Version(), 0, "."), "");
    EXPECT_EQ(VersionToString(Version(), 2, "."), "0.0");
    // An absurd detail is bounded instead of building a gigantic string.
    EXPECT_EQ(VersionToString(version, INT_MAX, ".").count('.'), 15);
}

TEST(EmailValidator, AcceptsAddresses)
{
    for (const char* address : {"user@example.com", "first.last+tag@sub.example.co.uk",
                                "UPPER@EXAMPLE.ORG", "a!#$%&'*+/=?^_`{|}~-z@x-y.io", "1@2.de"}) {
        EXPECT_EQ(Validate(address), QValidator::Acceptable) << address;
    }
}

TEST(EmailValidator, PartialInputWhileTypingIsIntermediate)
{
    for (const char* partial : {"", "user", "first.", "user@", "user@example", "user@example.",
                                "user@example.c", "user@sub-", "user@example.123"}) {
        EXPECT_EQ(Validate(partial), QValidator::Intermediate) << partial;
    }
}

TEST(EmailValidator, RejectsWhatCanNeverBecomeAnAddress)
{
    for (const std::string& bad : std::vector<std::string>{
             "@example.com", ".user@example.com", "us..er@example.com", "user@@example.com",
             "user name@example.com", "user@-example.com", "user@example..com", "user@ex_ample.com",
             "\xC3\xBC@example.com", "user@example.com ", "user@.com",
             "user@" + std::string(64, 'a') + ".com"}) {
        EXPECT_EQ(Validate(bad), QValidator::Invalid) << bad;
    }
}

TEST(SslUsage, DefaultsToHttpsAndCanBeSwitchedOff)
{
    EXPECT_TRUE(GetDefaultSslUsage());
    EXPECT_EQ(GetDefaultUrlScheme(), "https");
    SetDefaultSslUsage(false);
    EXPECT_FALSE(GetDefaultSslUsage());
    EXPECT_EQ(GetDefaultUrlScheme(), "http");
    SetDefaultSslUsage(true);
    EXPECT_EQ(GetDefaultUrlScheme(), "https");
}
