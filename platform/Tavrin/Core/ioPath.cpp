#include "Tavrin/Core/ioPath.h"

#include "Tavrin/Core/StringConversion.h"

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <ostream>

namespace Tavrin {

namespace fs = boost::filesystem;

// Wide text goes through our own converter: boost would use the global locale, which may
// be "C" and then cannot represent non-ASCII names.
ioPath::ioPath(const std::string& utf8) : m_path(utf8) {}

ioPath::ioPath(const char* utf8) : m_path(utf8 ? utf8 : "") {}

ioPath::ioPath(const std::wstring& text) : m_path(Core::Utf8FromWstring(text)) {}

ioPath::ioPath(const wchar_t* text) : ioPath(std::wstring(text ? text : L"")) {}

ioPath::ioPath(const fs::path& path) : m_path(path) {}

ioPath& ioPath::operator/=(const ioPath& other)
{
    m_path /= other.m_path;
    return *this;
}

ioPath ioPath::parent_path() const
{
    return ioPath(m_path.parent_path());
}

ioPath ioPath::filename() const
{
    return ioPath(m_path.filename());
}

ioPath ioPath::stem() const
{
    return ioPath(m_path.stem());
}

ioPath ioPath::extension() const
{
    return ioPath(m_path.extension());
}

ioPath& ioPath::make_preferred()
{
    std::string text = m_path.string();
    std::replace(text.begin(), text.end(), '\\', '/');
    m_path = text;
    return *this;
}

bool ioPath::empty() const
{
    return m_path.empty();
}

bool ioPath::exists() const
{
    boost::system::error_code error;
    return !m_path.empty() && fs::exists(m_path, error);
}

bool ioPath::is_directory() const
{
    boost::system::error_code error;
    return !m_path.empty() && fs::is_directory(m_path, error);
}

bool ioPath::create_directories(const ioPath& directory)
{
    if (directory.empty()) {
        return false;
    }
    boost::system::error_code error;
    fs::create_directories(directory.m_path, error);
    return directory.is_directory();
}

std::string ioPath::utf8string() const
{
    return m_path.string();
}

std::wstring ioPath::wstring() const
{
    return Core::WstringFromUtf8(m_path.string());
}

std::string ioPath::platformString() const
{
    return m_path.native();
}

int ioPath::compare(const ioPath& other) const
{
    return m_path.compare(other.m_path);
}

std::ostream& operator<<(std::ostream& stream, const ioPath& path)
{
    return stream << path.utf8string();
}

}  // namespace Tavrin
