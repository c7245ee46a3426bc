#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <boost/filesystem/path.hpp>

#include <iosfwd>
#include <string>

namespace Tavrin {

// A file system path. Narrow strings are UTF-8, which is also the native encoding of file
// names here; wide strings are UTF-32. Nothing in this class throws.
class TAVRIN_APP_EXPORT ioPath
{
public:
    ioPath() = default;
    ioPath(const std::string& utf8);
    ioPath(const char* utf8);
    ioPath(const std::wstring& text);
    ioPath(const wchar_t* text);
    ioPath(const boost::filesystem::path& path);

    // Joins with '/', adding it only where neither side already has one.
    ioPath& operator/=(const ioPath& other);
    friend ioPath operator/(ioPath left, const ioPath& right) { return left /= right; }

    ioPath parent_path() const;
    ioPath filename() const;
    ioPath stem() const;
    ioPath extension() const;

    // Turns every backslash into '/', so that relative paths written on Windows ("a\b.txt")
    // name the same file here instead of a file with a backslash in its name.
    ioPath& make_preferred();

    bool empty() const;
    bool exists() const;
    bool is_directory() const;

    // True when the directory exists afterwards (whether or not it was created now).
    static bool create_directories(const ioPath& directory);

    std::string utf8string() const;
    std::wstring wstring() const;
    // The bytes handed to the operating system.
    std::string platformString() const;
    const boost::filesystem::path& boost_path() const { return m_path; }

    // Element-wise comparison, so "a/b" and "a//b" are equal.
    int compare(const ioPath& other) const;
    friend bool operator==(const ioPath& a, const ioPath& b) { return a.compare(b) == 0; }
    friend bool operator!=(const ioPath& a, const ioPath& b) { return a.compare(b) != 0; }
    friend bool operator<(const ioPath& a, const ioPath& b) { return a.compare(b) < 0; }
    friend bool operator>(const ioPath& a, const ioPath& b) { return a.compare(b) > 0; }
    friend bool operator<=(const ioPath& a, const ioPath& b) { return a.compare(b) <= 0; }
    friend bool operator>=(const ioPath& a, const ioPath& b) { return a.compare(b) >= 0; }

private:
    boost::filesystem::path m_path;
};

// Writes the UTF-8 text, without quotes.
TAVRIN_APP_EXPORT std::ostream& operator<<(std::ostream& stream, const ioPath& path);

}  // namespace Tavrin
