#include "Tavrin/App/Application/StartupEnvironment.h"

#include <Tavrin/Core/AppLocations.h>

#include <QCoreApplication>

#include <cstdlib>
#include <cstring>

namespace Tavrin {
namespace App {

namespace {

// Lets users who prefer the unscaled look, or whose screens scale badly, opt out.
bool IsScalingSwitchedOff()
{
    const char* policy = std::getenv("TAVRIN_DPI_POLICY");
    return policy && std::strcmp(policy, "NOSCALE") == 0;
}

}  // namespace

void HighDpiFix()
{
    if (IsScalingSwitchedOff()) {
        return;
    }
    // Linux desktops offer no service that scales a whole process as a bitmap, so Qt scales.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
}

void UseDesktopOpenGL()
{
    QCoreApplication::setAttribute(Qt::AA_UseDesktopOpenGL, true);
}

Tavrin::ioPath GetPathToResources()
{
    return Core::AppLocations::GetLocations().GetResourcesPath();
}

Tavrin::ioPath GetPathToFontConfigFile()
{
    return Core::AppLocations::GetLocations().GetFontConfigFile();
}

}  // namespace App
}  // namespace Tavrin
