#include "Tavrin/Core/PropertySerializer.h"

#include "Tavrin/Core/Exception.h"
#include "Tavrin/Core/Utf8_p.h"

#include <cstdio>
#include <utility>

namespace Tavrin {
namespace Core {

namespace {

// Text for error messages: the character itself when printable, else its byte value.
std::string DescribeByte(unsigned char byte)
{
    if (byte >= 0x20 && byte < 0x7F) {
        return std::string("'") + static_cast<char>(byte) + "'";
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "byte 0x%02X", byte);
    return hex;
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool IsDigit(int c)
{
    return c >= '0' && c <= '9';
}

// A recursive-descent reader that fills a Property as it goes. Recursion is bounded by
// kMaxDepth, so hostile nesting cannot exhaust the stack.
class JsonReader
{
public:
    explicit JsonReader(const std::string& text) : m_text(text) {}

    void ReadDocument(Property& root)
    {
        SkipByteOrderMark();
        SkipWhitespace();
        if (AtEnd()) {
            Fail(m_text.empty() ? "the input is empty" : "the input holds only white space");
        }
        if (Peek() != '{') {
            Fail("the document must be a JSON object, found " + DescribeCurrent());
        }
        ReadObject(root, 1);
        SkipWhitespace();
        if (!AtEnd()) {
            Fail("unexpected " + DescribeCurrent() + " after the top-level object");
        }
    }

private:
    [[noreturn]] void FailAt(std::size_t offset, const std::string& what) const
    {
        TAVRIN_THROW(Tavrin::Exception,
                     "Invalid JSON at offset " + std::to_string(offset) + ": " + what);
    }

    [[noreturn]] void Fail(const std::string& what) const { FailAt(m_pos, what); }

    bool AtEnd() const { return m_pos >= m_text.size(); }
    int Peek() const { return AtEnd() ? -1 : static_cast<unsigned char>(m_text[m_pos]); }

    std::string DescribeCurrent() const
    {
        return AtEnd() ? std::string("the end of the input")
                       : DescribeByte(static_cast<unsigned char>(m_text[m_pos]));
    }

    void Expect(char c, const char* what)
    {
        if (Peek() != static_cast<unsigned char>(c)) {
            Fail(std::string(what) + ", found " + DescribeCurrent());
        }
        ++m_pos;
    }

    void SkipByteOrderMark()
    {
        if (m_text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            m_pos = 3;
        }
    }

    void SkipWhitespace()
    {
        while (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r') {
            ++m_pos;
        }
    }

    void CheckDepth(int depth) const
    {
        if (depth > PropertySerializer::kMaxDepth) {
            Fail("objects and arrays are nested more than " +
                 std::to_string(PropertySerializer::kMaxDepth) + " levels deep");
        }
    }

    // depth: how many objects/arrays enclose the value.
    void ReadValue(Property& node, int depth)
    {
        switch (Peek()) {
            case '{':
                ReadObject(node, depth + 1);
                return;
            case '[':
                ReadArray(node, depth + 1);
                return;
            default:
                ReadScalar(node);
        }
    }

    void ReadScalar(Property& node)
    {
        const int c = Peek();
        if (c == '"') {
            node.SetString(ReadString());
        } else if (c == 't') {
            node.SetString(ReadLiteral("true"));
        } else if (c == 'f') {
            node.SetString(ReadLiteral("false"));
        } else if (c == 'n') {
            ReadLiteral("null");
            node.SetString(std::string());
        } else if (c == '-' || IsDigit(c)) {
            node.SetString(ReadNumber());
        } else {
            Fail("expected a value, found " + DescribeCurrent());
        }
    }

    static bool IsScalarStart(int c) { return c != '{' && c != '['; }

    void ReadObject(Property& node, int depth)
    {
        CheckDepth(depth);
        Expect('{', "expected '{'");
        SkipWhitespace();
        if (Peek() == '}') {
            ++m_pos;
            return;
        }
        for (;;) {
            SkipWhitespace();
            if (Peek() != '"') {
                Fail("expected a member name in double quotes, found " + DescribeCurrent());
            }
            const std::string name = ReadString();
            SkipWhitespace();
            Expect(':', "expected ':' after the member name");
            SkipWhitespace();
            // A scalar under "" is the node's own value (see the header).
            if (name.empty() && IsScalarStart(Peek())) {
                ReadScalar(node);
            } else {
                ReadValue(node[name], depth);
            }
            if (!ReadSeparator('}')) {
                return;
            }
        }
    }

    void ReadArray(Property& node, int depth)
    {
        CheckDepth(depth);
        Expect('[', "expected '['");
        SkipWhitespace();
        if (Peek() == ']') {
            ++m_pos;
            return;
        }
        for (std::size_t index = 0;; ++index) {
            SkipWhitespace();
            ReadValue(node[std::to_string(index)], depth);
            if (!ReadSeparator(']')) {
                return;
            }
        }
    }

    // After a member or element: true at ',' (more follow), false at the closing bracket.
    bool ReadSeparator(char closing)
    {
        SkipWhitespace();
        if (Peek() == ',') {
            ++m_pos;
            return true;
        }
        if (Peek() == static_cast<unsigned char>(closing)) {
            ++m_pos;
            return false;
        }
        Fail(std::string("expected ',' or '") + closing + "', found " + DescribeCurrent());
    }

    std::string ReadLiteral(const std::string& literal)
    {
        if (m_text.compare(m_pos, literal.size(), literal) != 0) {
            Fail("expected a value, found " + DescribeCurrent());
        }
        m_pos += literal.size();
        return literal;
    }

    // Checks the JSON number grammar and returns the number's text unchanged.
    std::string ReadNumber()
    {
        const std::size_t start = m_pos;
        if (Peek() == '-') {
            ++m_pos;
        }
        if (Peek() == '0') {
            ++m_pos;
        } else {
            ReadDigits("a digit");
        }
        if (Peek() == '.') {
            ++m_pos;
            ReadDigits("a digit after the decimal point");
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++m_pos;
            if (Peek() == '+' || Peek() == '-') {
                ++m_pos;
            }
            ReadDigits("a digit in the exponent");
        }
        return m_text.substr(start, m_pos - start);
    }

    void ReadDigits(const char* what)
    {
        if (!IsDigit(Peek())) {
            Fail(std::string("invalid number: expected ") + what + ", found " + DescribeCurrent());
        }
        while (IsDigit(Peek())) {
            ++m_pos;
        }
    }

    std::string ReadString()
    {
        const std::size_t start = m_pos;
        Expect('"', "expected '\"'");
        std::string result;
        for (;;) {
            if (AtEnd()) {
                FailAt(start, "the string is not terminated");
            }
            const unsigned char c = static_cast<unsigned char>(m_text[m_pos]);
            if (c == '"') {
                ++m_pos;
                return result;
            }
            if (c == '\\') {
                ReadEscape(result);
            } else if (c < 0x20) {
                Fail("control character " + DescribeByte(c) + " must be escaped in a string");
            } else if (c < 0x80) {
                result += static_cast<char>(c);
                ++m_pos;
            } else {
                ReadUtf8Character(result);
            }
        }
    }

    void ReadUtf8Character(std::string& out)
    {
        const std::size_t start = m_pos;
        char32_t value = 0;
        if (!Utf8::Decode(m_text, m_pos, value)) {
            FailAt(start, "invalid UTF-8 sequence");
        }
        out.append(m_text, start, m_pos - start);
    }

    void ReadEscape(std::string& out)
    {
        const std::size_t start = m_pos;
        ++m_pos;  // the backslash
        const int c = Peek();
        ++m_pos;
        switch (c) {
            case '"':
                out += '"';
                return;
            case '\\':
                out += '\\';
                return;
            case '/':
                out += '/';
                return;
            case 'b':
                out += '\b';
                return;
            case 'f':
                out += '\f';
                return;
            case 'n':
                out += '\n';
                return;
            case 'r':
                out += '\r';
                return;
            case 't':
                out += '\t';
                return;
            case 'u':
                Utf8::Append(out, ReadUnicodeEscape());
                return;
            default:
                FailAt(start, "invalid escape sequence");
        }
    }

    // After "\u": four hex digits, combined with a following "\uDC00".."\uDFFF" when they
    // are a high surrogate. An unpaired surrogate becomes U+FFFD.
    char32_t ReadUnicodeEscape()
    {
        const char32_t first = ReadHex4();
        if (first < 0xD800 || first > 0xDBFF) {
            return first;  // a lone low surrogate is replaced by Utf8::Append
        }
        if (m_text.compare(m_pos, 2, "\\u") != 0) {
            return Utf8::kReplacement;
        }
        const std::size_t afterFirst = m_pos;
        m_pos += 2;
        const char32_t second = ReadHex4();
        if (second < 0xDC00 || second > 0xDFFF) {
            m_pos = afterFirst;  // the next escape stands on its own
            return Utf8::kReplacement;
        }
        return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
    }

    char32_t ReadHex4()
    {
        char32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = AtEnd() ? -1 : HexDigitValue(m_text[m_pos]);
            if (digit < 0) {
                Fail("expected four hex digits after \\u, found " + DescribeCurrent());
            }
            value = value * 16 + static_cast<char32_t>(digit);
            ++m_pos;
        }
        return value;
    }

    const std::string& m_text;
    std::size_t m_pos = 0;
};

class JsonWriter
{
public:
    std::string Write(const Property& root)
    {
        WriteObject(root, 1);
        m_out += '\n';
        return std::move(m_out);
    }

private:
    void WriteObject(const Property& node, int depth)
    {
        if (depth > PropertySerializer::kMaxDepth) {
            TAVRIN_THROW(Tavrin::Exception, "Properties nested more than " +
                                                std::to_string(PropertySerializer::kMaxDepth) +
                                                " levels deep cannot be written");
        }
        m_out += '{';
        bool first = true;
        if (!node.GetString().empty()) {
            WriteMemberName("", depth, first);
            WriteString(node.GetString());
        }
        for (const Property& child : node.GetChildren()) {
            WriteMemberName(child.GetName(), depth, first);
            // A leaf named "" would read back as the parent's value, so it stays an object.
            if (child.GetChildren().empty() && !child.GetName().empty()) {
                WriteString(child.GetString());
            } else {
                WriteObject(child, depth + 1);
            }
        }
        if (!first) {
            NewLine(depth - 1);
        }
        m_out += '}';
    }

    void WriteMemberName(const std::string& name, int depth, bool& first)
    {
        if (!first) {
            m_out += ',';
        }
        first = false;
        NewLine(depth);
        WriteString(name);
        m_out += ": ";
    }

    void NewLine(int indentLevel)
    {
        m_out += '\n';
        m_out.append(static_cast<std::size_t>(indentLevel) * 4, ' ');
    }

    void WriteString(const std::string& text)
    {
        m_out += '"';
        std::size_t pos = 0;
        while (pos < text.size()) {
            const unsigned char c = static_cast<unsigned char>(text[pos]);
            if (c < 0x80) {
                WriteAsciiCharacter(c);
                ++pos;
            } else {
                char32_t value = 0;
                Utf8::Decode(text, pos, value);
                Utf8::Append(m_out, value);
            }
        }
        m_out += '"';
    }

    void WriteAsciiCharacter(unsigned char c)
    {
        switch (c) {
            case '"':
                m_out += "\\\"";
                return;
            case '\\':
                m_out += "\\\\";
                return;
            case '\b':
                m_out += "\\b";
                return;
            case '\f':
                m_out += "\\f";
                return;
            case '\n':
                m_out += "\\n";
                return;
            case '\r':
                m_out += "\\r";
                return;
            case '\t':
                m_out += "\\t";
                return;
            default:
                break;
        }
        if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            m_out += escaped;
        } else {
            m_out += static_cast<char>(c);
        }
    }

    std::string m_out;
};

}  // namespace

void PropertySerializer::Deserialize(Property& target, boost::intrusive_ptr<IDataInput> input,
                                     bool replace)
{
    if (!input) {
        TAVRIN_THROW(Tavrin::Exception, "No input to read properties from");
    }
    const std::string text = ReadAll(*input);
    // Work on a copy so that a document failing halfway leaves the target as it was.
    Property result = replace ? Property(target.GetName()) : target;
    JsonReader(text).ReadDocument(result);
    target = std::move(result);
}

void PropertySerializer::Serialize(const Property& source, std::string& out)
{
    out = JsonWriter().Write(source);
}

}  // namespace Core
}  // namespace Tavrin
