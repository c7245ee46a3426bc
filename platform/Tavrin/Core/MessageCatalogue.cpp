#include "Tavrin/Core/MessageCatalogue_p.h"

#include <QByteArray>
#include <QTextCodec>

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace Tavrin {
namespace Core {

namespace {

const std::uint32_t kMagic = 0x950412de;
const std::uint32_t kSwappedMagic = 0xde120495;
const std::size_t kHeaderSize = 28;  // magic, revision, count, two tables, hash table
// Real catalogues stay far below this; a larger file is most likely not one.
const std::uint64_t kMaxFileSize = 64u << 20;
const char kContextSeparator = '\x04';
// Marks the last segment of a system-dependent string.
const std::uint32_t kSegmentsEnd = 0xffffffff;

// clang-format off
#define TAVRIN_PRI_SIZES(c)                                                                   \
    {"PRI" #c "8", PRI##c##8}, {"PRI" #c "16", PRI##c##16}, {"PRI" #c "32", PRI##c##32},       \
    {"PRI" #c "64", PRI##c##64}, {"PRI" #c "LEAST8", PRI##c##LEAST8},                          \
    {"PRI" #c "LEAST16", PRI##c##LEAST16}, {"PRI" #c "LEAST32", PRI##c##LEAST32},              \
    {"PRI" #c "LEAST64", PRI##c##LEAST64}, {"PRI" #c "FAST8", PRI##c##FAST8},                  \
    {"PRI" #c "FAST16", PRI##c##FAST16}, {"PRI" #c "FAST32", PRI##c##FAST32},                  \
    {"PRI" #c "FAST64", PRI##c##FAST64}, {"PRI" #c "MAX", PRI##c##MAX},                        \
    {"PRI" #c "PTR", PRI##c##PTR}
// clang-format on

// What a system-dependent segment stands for on this platform: the <inttypes.h> conversion
// macros, and the "I" flag (locale digits) that the C library here understands as itself.
// Null for a name this platform does not know; a message using one is left out.
const char* SegmentValue(std::string_view name)
{
    static const std::pair<std::string_view, const char*> values[] = {
        TAVRIN_PRI_SIZES(d), TAVRIN_PRI_SIZES(i), TAVRIN_PRI_SIZES(o), TAVRIN_PRI_SIZES(u),
        TAVRIN_PRI_SIZES(x), TAVRIN_PRI_SIZES(X), {"I", "I"}};
    for (const auto& [known, value] : values) {
        if (known == name) {
            return value;
        }
    }
    return nullptr;
}

#undef TAVRIN_PRI_SIZES

std::uint32_t Swap(std::uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0xff00) | ((value << 8) & 0xff0000) | (value << 24);
}

// The catalogue's fixed-size words, in its own byte order, with every read range-checked.
class Reader
{
public:
    explicit Reader(const std::string& bytes) : m_bytes(bytes)
    {
        if (bytes.size() < kHeaderSize) {
            throw std::runtime_error("the file is too short to be a message catalogue");
        }
        const std::uint32_t magic = RawWord(0);
        if (magic != kMagic && magic != kSwappedMagic) {
            throw std::runtime_error("the file is not a message catalogue");
        }
        m_swapped = magic == kSwappedMagic;
    }

    std::uint32_t Word(std::uint64_t offset) const
    {
        if (offset + 4 > m_bytes.size()) {
            throw std::runtime_error("a table runs past the end of the file");
        }
        const std::uint32_t value = RawWord(static_cast<std::size_t>(offset));
        return m_swapped ? Swap(value) : value;
    }

    // Entry index of a table of (length, offset) pairs, up to its first NUL (a plural
    // message keeps its further forms behind one). The strings of a catalogue lie side by
    // side, so all of them together never take more bytes than the file has: entries that
    // point at one string again and again would otherwise cost its length every time.
    std::string_view String(std::uint32_t table, std::uint32_t index)
    {
        const std::uint64_t entry = table + std::uint64_t{index} * 8;
        const std::uint32_t length = Word(entry);
        const std::uint32_t offset = Word(entry + 4);
        if (std::uint64_t{offset} + length > m_bytes.size()) {
            throw std::runtime_error("a string runs past the end of the file");
        }
        return UpToNul(Bytes(offset, length));
    }

    // length bytes at offset, counted against the file's size like the strings of a table.
    std::string_view Bytes(std::uint64_t offset, std::uint64_t length)
    {
        if (offset + length > m_bytes.size()) {
            throw std::runtime_error("a string runs past the end of the file");
        }
        Take(length);
        return std::string_view(m_bytes.data() + offset, static_cast<std::size_t>(length));
    }

    void Take(std::uint64_t length)
    {
        m_taken += length;
        if (m_taken > m_bytes.size()) {
            throw std::runtime_error("the catalogue's strings take more bytes than the file holds");
        }
    }

    static std::string_view UpToNul(std::string_view text)
    {
        return text.substr(0, std::min(text.find('\0'), text.size()));
    }

private:
    std::uint32_t RawWord(std::size_t offset) const
    {
        std::uint32_t value = 0;
        m_bytes.copy(reinterpret_cast<char*>(&value), 4, offset);
        return value;
    }

    const std::string& m_bytes;
    bool m_swapped = false;
    std::uint64_t m_taken = 0;
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The charset named by the header's Content-Type line; empty when there is none.
std::string HeaderCharset(std::string_view header)
{
    const std::string lower = Lower(std::string(header));
    const std::size_t line = lower.find("content-type:");
    const std::size_t key = line == std::string::npos ? line : lower.find("charset=", line);
    if (key == std::string::npos || lower.find('\n', line) < key) {
        return std::string();
    }
    const std::size_t begin = key + 8;
    const std::size_t end = lower.find_first_of("; \t\r\n", begin);
    return lower.substr(begin, end == std::string::npos ? end : end - begin);
}

bool IsUtf8Compatible(const std::string& charset)
{
    return charset.empty() || charset == "utf-8" || charset == "utf8" || charset == "ascii" ||
           charset == "us-ascii" || charset == "charset";  // "CHARSET": msgfmt's placeholder
}

// The messages of a revision 1 catalogue whose texts depend on the platform (such as
// "%<PRIu64> files"): each is a list of pieces of the file, each followed by the value of a
// named segment, expanded the way the C library here expands them.
class SystemDependentStrings
{
public:
    explicit SystemDependentStrings(Reader& reader) : m_reader(reader)
    {
        const std::uint32_t segments = reader.Word(28);
        const std::uint32_t table = reader.Word(32);
        reader.Take(std::uint64_t{segments} * 8);
        for (std::uint32_t index = 0; index < segments; ++index) {
            m_values.push_back(SegmentValue(reader.String(table, index)));
        }
        m_count = reader.Word(36);
        m_originals = reader.Word(40);
        m_translations = reader.Word(44);
        reader.Take(std::uint64_t{m_count} * 8);
    }

    std::uint32_t Count() const { return m_count; }
    // False when a segment's value is not known here: such a message is left out.
    bool Original(std::uint32_t index, std::string& text)
    {
        return Expand(m_originals, index, text);
    }
    bool Translation(std::uint32_t index, std::string& text)
    {
        return Expand(m_translations, index, text);
    }

private:
    bool Expand(std::uint32_t table, std::uint32_t index, std::string& text)
    {
        std::uint64_t entry = m_reader.Word(table + std::uint64_t{index} * 4);
        std::uint64_t piece = m_reader.Word(entry);
        text.clear();
        for (entry += 4;; entry += 8) {
            m_reader.Take(8);  // bounds the walk by the file's size
            const std::uint32_t length = m_reader.Word(entry);
            const std::uint32_t segment = m_reader.Word(entry + 4);
            text += m_reader.Bytes(piece, length);
            piece += length;
            if (segment == kSegmentsEnd) {
                break;
            }
            if (segment >= m_values.size()) {
                throw std::runtime_error("a message names a segment the catalogue does not have");
            }
            if (!m_values[segment]) {
                return false;
            }
            text += m_values[segment];
        }
        text.resize(Reader::UpToNul(text).size());
        return true;
    }

    Reader& m_reader;
    std::vector<const char*> m_values;
    std::uint32_t m_count = 0;
    std::uint32_t m_originals = 0;
    std::uint32_t m_translations = 0;
};

}  // namespace

MessageCatalogue MessageCatalogue::Parse(const std::string& bytes)
{
    Reader reader(bytes);
    const std::uint32_t revision = reader.Word(4);
    if (revision >> 16 > 1) {
        throw std::runtime_error("the catalogue's format revision is not supported");
    }
    const std::uint32_t count = reader.Word(8);
    const std::uint32_t originals = reader.Word(12);
    const std::uint32_t translations = reader.Word(16);
    if (std::uint64_t{count} * 8 > bytes.size()) {
        throw std::runtime_error("the catalogue claims more messages than the file holds");
    }

    MessageCatalogue catalogue;
    QTextCodec* codec = nullptr;
    const auto add = [&catalogue, &codec](std::string_view original, std::string_view translation) {
        if (original.find(kContextSeparator) != std::string::npos) {
            return;
        }
        catalogue.m_messages.emplace(
            std::string(original),
            codec ? codec->toUnicode(translation.data(), static_cast<int>(translation.size()))
                        .toStdString()
                  : std::string(translation));
    };
    for (std::uint32_t index = 0; index < count; ++index) {
        const std::string_view original = reader.String(originals, index);
        const std::string_view translation = reader.String(translations, index);
        if (original.empty()) {
            const std::string charset = HeaderCharset(translation);
            if (!IsUtf8Compatible(charset)) {
                codec = QTextCodec::codecForName(QByteArray::fromStdString(charset));
                if (!codec) {
                    throw std::runtime_error("the catalogue's charset " + charset +
                                             " is not known");
                }
            }
            continue;
        }
        add(original, translation);
    }
    if ((revision & 0xffff) >= 1) {
        SystemDependentStrings strings(reader);
        std::string original, translation;
        for (std::uint32_t index = 0; index < strings.Count(); ++index) {
            if (strings.Original(index, original) && strings.Translation(index, translation) &&
                !original.empty()) {
                add(original, translation);
            }
        }
    }
    return catalogue;
}

MessageCatalogue MessageCatalogue::Read(const std::string& path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        throw std::runtime_error("the file cannot be opened");
    }
    const std::streamoff size = file.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxFileSize) {
        throw std::runtime_error("the file is too large to be a message catalogue");
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    file.seekg(0);
    if (!file.read(&bytes[0], size)) {
        throw std::runtime_error("the file cannot be read");
    }
    return Parse(bytes);
}

const std::string* MessageCatalogue::Find(const std::string& original) const
{
    const auto found = m_messages.find(original);
    return found == m_messages.end() ? nullptr : &found->second;
}

}  // namespace Core
}  // namespace Tavrin
