#include "Tavrin/App/Application/StartupEnvironment.h"

#include <Tavrin/Core/AppLocations.h>
#include <Tavrin/Core/DyLib.h>

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

// Where the system offers it, the whole process is scaled as a bitmap, which keeps layouts
// that were never made for high DPI intact.
bool LetSystemScaleProcess()
{
    using SetProcessDpiAwarenessFunction = long (*)(int);
    constexpr int kProcessDpiUnaware = 0;
    Core::DyLib library;
    if (!library.Open("Shcore.dll")) {
        return false;
    }
    auto* setAwareness =
        reinterpret_cast<SetProcessDpiAwarenessFunction>(library.GetProc("SetProcessDpiAwareness"));
    if (!setAwareness) {
        return false;
    }
    setAwareness(kProcessDpiUnaware);  // a refusal leaves the default, which is acceptable
    return true;
}

}  // namespace

void HighDpiFix()
{
    if (IsScalingSwitchedOff()) {
        return;
    }
    if (!LetSystemScaleProcess()) {
        QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    }
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
