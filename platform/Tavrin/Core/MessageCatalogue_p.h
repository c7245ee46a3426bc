#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

namespace Tavrin {
namespace Core {

// One compiled gettext catalogue (a .mo file) in memory: the original text of each message
// mapped to its translation, both UTF-8. A plural message is found by its singular text and
// gives its first form; messages with a context, and the catalogue's header, are left out,
// since nothing here looks them up. The system-dependent messages of a revision 1 catalogue
// ("%<PRIu64> files") are expanded for this platform ("%lu files"); one naming a segment the
// platform does not know is left out. Translations in another character set are converted.
class MessageCatalogue
{
public:
    // Throws std::runtime_error saying what is wrong with the bytes.
    static MessageCatalogue Parse(const std::string& bytes);
    // Throws std::runtime_error when the file cannot be read or parsed.
    static MessageCatalogue Read(const std::string& path);

    // The translation of original, or null when the catalogue has none.
    const std::string* Find(const std::string& original) const;
    std::size_t Size() const { return m_messages.size(); }

private:
    std::unordered_map<std::string, std::string> m_messages;
};

}  // namespace Core
}  // namespace Tavrin
