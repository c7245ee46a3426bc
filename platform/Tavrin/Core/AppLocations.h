#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/ioPath.h>

namespace Tavrin {
namespace Core {

// Where the running application and its installed files are. Every call looks again, so a
// changed environment is seen at once.
class TAVRIN_APP_EXPORT AppLocations
{
public:
    // The process-wide instance.
    static AppLocations& GetLocations();

    // The running executable's file (empty if the system cannot tell), also when it was
    // replaced or deleted after the process started.
    static ioPath GetExecutablePath();

    // The directory holding the running executable (empty if the system cannot tell).
    virtual ioPath GetApplicationDirectory() const;
    // $TAVRIN_RESOURCES_DIR when set and not empty, else "resources" beside the executable.
    virtual ioPath GetResourcesPath() const;
    // "fonts.conf" in the resources directory (whether or not it exists).
    virtual ioPath GetFontConfigFile() const;

    virtual ~AppLocations();
};

}  // namespace Core
}  // namespace Tavrin
