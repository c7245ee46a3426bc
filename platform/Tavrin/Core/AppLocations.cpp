#include "Tavrin/Core/AppLocations.h"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace Tavrin {
namespace Core {

namespace {

constexpr char kResourcesVariable[] = "TAVRIN_RESOURCES_DIR";

// readlink does not say whether it truncated, so grow the buffer until the link fits.
std::string ReadExecutableLink()
{
    for (std::size_t size = 256; size <= 64 * 1024; size *= 2) {
        std::vector<char> buffer(size);
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
    }
    return {};
}

// The kernel appends this when the executable was replaced or removed after it started.
std::string WithoutDeletedMark(std::string path)
{
    const std::string mark = " (deleted)";
    if (path.size() > mark.size() &&
        path.compare(path.size() - mark.size(), mark.size(), mark) == 0) {
        path.resize(path.size() - mark.size());
    }
    return path;
}

}  // namespace

AppLocations& AppLocations::GetLocations()
{
    static AppLocations locations;
    return locations;
}

ioPath AppLocations::GetExecutablePath()
{
    return ioPath(WithoutDeletedMark(ReadExecutableLink()));
}

ioPath AppLocations::GetApplicationDirectory() const
{
    const ioPath executable = GetExecutablePath();
    return executable.empty() ? ioPath() : executable.parent_path();
}

ioPath AppLocations::GetResourcesPath() const
{
    const char* configured = std::getenv(kResourcesVariable);
    if (configured && *configured) {
        return ioPath(configured);
    }
    const ioPath applicationDirectory = GetApplicationDirectory();
    return applicationDirectory.empty() ? ioPath() : applicationDirectory / "resources";
}

ioPath AppLocations::GetFontConfigFile() const
{
    const ioPath resources = GetResourcesPath();
    return resources.empty() ? ioPath() : resources / "fonts.conf";
}

AppLocations::~AppLocations() = default;

}  // namespace Core
}  // namespace Tavrin
