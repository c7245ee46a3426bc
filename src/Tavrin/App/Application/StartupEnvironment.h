#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/ioPath.h>

namespace Tavrin {
namespace App {

// Process-wide settings that Qt reads only while its application object is created: call
// these before constructing the Application.

// Lets Qt scale the user interface on high-DPI screens (where the system cannot scale the
// process itself). Does nothing when TAVRIN_DPI_POLICY is exactly "NOSCALE".
TAVRIN_APP_EXPORT void HighDpiFix();
// Makes Qt use the system's desktop OpenGL rather than a software or ES implementation.
TAVRIN_APP_EXPORT void UseDesktopOpenGL();

// The directory of the installed resources (see Core::AppLocations).
TAVRIN_APP_EXPORT Tavrin::ioPath GetPathToResources();
// The font configuration file among the resources (whether or not it exists).
TAVRIN_APP_EXPORT Tavrin::ioPath GetPathToFontConfigFile();

}  // namespace App
}  // namespace Tavrin
