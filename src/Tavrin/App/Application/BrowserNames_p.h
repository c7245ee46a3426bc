#pragma once

#include <QString>
#include <QStringList>

namespace Tavrin {
namespace App {

// Browsers are known by the executable names of their Windows builds ("chrome.exe"). The
// executables Linux distributions install for them ("chromium", "firefox-esr", ...) count as
// the same browsers.

// The known name of a Linux executable name; any other name is returned unchanged.
// Exact and case-sensitive.
QString CanonicalBrowserName(const QString& fileName);

// The Linux executable names of a known browser, the most common first; none for browsers
// without a Linux build.
QStringList LinuxBrowserNames(const QString& canonicalName);

extern const QString kEdgeBrowserName;  // "microsoftedge.exe"

}  // namespace App
}  // namespace Tavrin
