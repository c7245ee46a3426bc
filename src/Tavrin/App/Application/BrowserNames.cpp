#include "Tavrin/App/Application/BrowserNames_p.h"

namespace Tavrin {
namespace App {

const QString kEdgeBrowserName = QStringLiteral("microsoftedge.exe");

namespace {

struct Alias
{
    const char* linuxName;
    const char* canonicalName;
};

// Grouped by browser, in the order the Linux names are tried when looking for an installed
// browser.
const Alias kAliases[] = {
    {"chrome", "chrome.exe"},
    {"google-chrome", "chrome.exe"},
    {"google-chrome-stable", "chrome.exe"},
    {"chromium", "chrome.exe"},
    {"chromium-browser", "chrome.exe"},
    {"firefox", "firefox.exe"},
    {"firefox-esr", "firefox.exe"},
    {"firefox-bin", "firefox.exe"},
    {"opera", "opera.exe"},
    {"yandex_browser", "browser.exe"},
    {"yandex-browser", "browser.exe"},
    {"yandex-browser-stable", "browser.exe"},
    {"msedge", "microsoftedge.exe"},
    {"microsoft-edge", "microsoftedge.exe"},
    {"microsoft-edge-stable", "microsoftedge.exe"},
};

}  // namespace

QString CanonicalBrowserName(const QString& fileName)
{
    for (const Alias& alias : kAliases) {
        if (fileName == QLatin1String(alias.linuxName)) {
            return QLatin1String(alias.canonicalName);
        }
    }
    return fileName;
}

QStringList LinuxBrowserNames(const QString& canonicalName)
{
    QStringList names;
    for (const Alias& alias : kAliases) {
        if (canonicalName == QLatin1String(alias.canonicalName)) {
            names.append(QLatin1String(alias.linuxName));
        }
    }
    return names;
}

}  // namespace App
}  // namespace Tavrin
