#include "Tavrin/App/Application/PreferredBrowser.h"

#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/BrowserNames_p.h>
#include <Tavrin/App/Application/ILookAndFeelManager.h>
#include <Tavrin/App/Application/ISettingsManager.h>
#include <Tavrin/App/Application/ProcessMap.h>
#include <Tavrin/Util/StringConversion.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <map>
#include <memory>

namespace Tavrin {
namespace App {

namespace {

using ProcessMap = std::map<QString, QString>;
using PriorityTable = std::map<QString, int>;

const char kInstallerBrowserKey[] = "Browser";
const QString kYandexBrowserName = QStringLiteral("browser.exe");

PriorityTable Priorities(int chrome, int firefox, int iexplore, int edge, int opera, int safari,
                         int yandex)
{
    return {{QStringLiteral("chrome.exe"), chrome},     {QStringLiteral("firefox.exe"), firefox},
            {QStringLiteral("iexplore.exe"), iexplore}, {QStringLiteral("microsoftedge.exe"), edge},
            {QStringLiteral("opera.exe"), opera},       {QStringLiteral("safari.exe"), safari},
            {QStringLiteral("browser.exe"), yandex}};
}

// A higher number wins.
const PriorityTable kDefaultPriorities = Priorities(100, 80, 60, 40, 20, 10, 5);

const std::map<QString, PriorityTable> kLocalePriorities = {
    {QStringLiteral("en_US"), Priorities(100, 80, 60, 40, 20, 10, 5)},
    {QStringLiteral("ru_RU"), Priorities(100, 40, 20, 5, 60, 10, 80)},
    {QStringLiteral("de_DE"), Priorities(80, 100, 60, 40, 20, 10, 5)},
    {QStringLiteral("es_ES"), Priorities(100, 80, 60, 40, 20, 10, 5)},
    {QStringLiteral("fr_FR"), Priorities(100, 80, 60, 40, 20, 10, 5)},
    {QStringLiteral("it_IT"), Priorities(100, 80, 60, 40, 20, 10, 5)},
    {QStringLiteral("ja_JP"), Priorities(80, 60, 100, 40, 20, 10, 5)},
    {QStringLiteral("nl_NL"), Priorities(100, 40, 80, 60, 20, 10, 5)},
    {QStringLiteral("pl_PL"), Priorities(100, 80, 40, 20, 60, 10, 5)},
    {QStringLiteral("pt_BR"), Priorities(100, 80, 60, 40, 20, 10, 5)},
    {QStringLiteral("tr_TR"), Priorities(100, 40, 60, 20, 10, 5, 80)},
    {QStringLiteral("ko_KR"), Priorities(100, 20, 80, 40, 10, 60, 5)},
    {QStringLiteral("zh_CN"), Priorities(100, 60, 80, 40, 10, 20, 5)},
    {QStringLiteral("zh_TW"), Priorities(100, 60, 80, 40, 10, 20, 5)},
};

// Below a program-files directory. Yandex Browser installs per user instead; Edge nowhere.
const std::map<QString, QString> kInstallLocations = {
    {QStringLiteral("chrome.exe"), QStringLiteral("/Google/Chrome/Application/chrome.exe")},
    {QStringLiteral("firefox.exe"), QStringLiteral("/Mozilla Firefox/firefox.exe")},
    {QStringLiteral("iexplore.exe"), QStringLiteral("/Internet Explorer/iexplore.exe")},
    {QStringLiteral("opera.exe"), QStringLiteral("/Opera/launcher.exe")},
    {QStringLiteral("safari.exe"), QStringLiteral("/Safari/safari.exe")},
};
const QString kYandexLocalLocation =
    QStringLiteral("/Yandex/YandexBrowser/Application/browser.exe");

// Where Linux packages put browser executables, searched after the PATH.
const QStringList kLinuxInstallDirectories = {
    QStringLiteral("/usr/bin"),
    QStringLiteral("/usr/local/bin"),
    QStringLiteral("/snap/bin"),
    QStringLiteral("/opt/google/chrome"),
    QStringLiteral("/usr/lib/chromium"),
    QStringLiteral("/usr/lib/firefox"),
    QStringLiteral("/usr/lib/firefox-esr"),
    QStringLiteral("/opt/firefox"),
    QStringLiteral("/usr/lib/x86_64-linux-gnu/opera"),
    QStringLiteral("/opt/yandex/browser"),
    QStringLiteral("/opt/microsoft/msedge"),
};

bool IsKnownBrowser(const QString& fileName)
{
    return !fileName.isEmpty() && kDefaultPriorities.count(CanonicalBrowserName(fileName)) > 0;
}

QString InstallerBrowser()
{
    // The installer's store is named after the product, which the customization manager
    // knows; before it is set there is no installer setting to read.
    const Application* application = Application::Instance();
    const std::shared_ptr<ISettingsManager> installer =
        application && application->GetCustomizationManager()
            ? application->GetInstallerSettings("")
            : nullptr;
    return installer ? Util::Utf8ToQString(installer->GetString(kInstallerBrowserKey, ""))
                     : QString();
}

QString CurrentLocale()
{
    const Application* application = Application::Instance();
    const std::shared_ptr<ILookAndFeelManager> lookAndFeel =
        application ? application->GetLookAndFeel() : nullptr;
    return lookAndFeel ? Util::Utf8ToQString(lookAndFeel->GetCurrentLocale()) : QString();
}

QString Environment(const char* name)
{
    return QFile::decodeName(qgetenv(name));
}

// A running process of the browser, under any of its names; the first in name order.
QString FindRunning(const ProcessMap& running, const QString& browser)
{
    for (const auto& process : running) {
        if (CanonicalBrowserName(process.first) == browser && QFileInfo::exists(process.second)) {
            return process.second;
        }
    }
    return QString();
}

// The shell's record of started programs has no counterpart on Linux: desktop environments
// keep no list of executables a user ran, so this step never finds anything. It stays in
// place so that the steps around it keep their order.
QString FindInMuiCache(const QString& fileName)
{
    Q_UNUSED(fileName);
    return QString();
}

// An unset or empty variable gives no candidate: the sub-path alone would name a directory at
// the file system's root.
QString FindBelow(const QString& directory, const QString& subPath)
{
    if (directory.isEmpty()) {
        return QString();
    }
    const QString candidate = directory + subPath;
    return QFileInfo::exists(candidate) ? candidate : QString();
}

QString FindInWindowsLocations(const QString& browser)
{
    if (browser == kYandexBrowserName) {
        return FindBelow(Environment("localappdata"), kYandexLocalLocation);
    }
    const auto location = kInstallLocations.find(browser);
    if (location == kInstallLocations.end()) {
        return QString();
    }
    for (const char* variable : {"programfiles(x86)", "programfiles"}) {
        const QString found = FindBelow(Environment(variable), location->second);
        if (!found.isEmpty()) {
            return found;
        }
    }
    return QString();
}

QString FindInLinuxLocations(const QString& browser)
{
    const QStringList names = LinuxBrowserNames(browser);
    if (names.isEmpty()) {
        return QString();
    }
    // An empty PATH entry would mean the working directory, which is no install location.
    QStringList directories = Environment("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    directories += kLinuxInstallDirectories;
    directories.removeDuplicates();
    for (const QString& directory : directories) {
        for (const QString& name : names) {
            const QString candidate = directory + QLatin1Char('/') + name;
            const QFileInfo file(candidate);
            if (file.isFile() && file.isExecutable()) {
                return candidate;
            }
        }
    }
    return QString();
}

QString FindInstalled(const QString& browser)
{
    const QString found = FindInWindowsLocations(browser);
    return found.isEmpty() ? FindInLinuxLocations(browser) : found;
}

const PriorityTable& PrioritiesOfLocale(const QString& locale)
{
    const auto row = kLocalePriorities.find(locale);
    return row == kLocalePriorities.end() ? kDefaultPriorities : row->second;
}

// The running browser with the highest priority; on equal ones the first in name order.
QString FindMostPopularRunning(const ProcessMap& running, const PriorityTable& priorities)
{
    auto best = running.end();
    int bestPriority = 0;
    for (auto process = running.begin(); process != running.end(); ++process) {
        const auto priority = priorities.find(CanonicalBrowserName(process->first));
        const int value = priority == priorities.end() ? 0 : priority->second;
        if (best == running.end() || value > bestPriority) {
            best = process;
            bestPriority = value;
        }
    }
    if (best == running.end() || CanonicalBrowserName(best->first) == kEdgeBrowserName ||
        !QFileInfo::exists(best->second)) {
        return QString();
    }
    return best->second;
}

}  // namespace

QString PreferredBrowser::FindBrowserPath()
{
    const QString installerBrowser = InstallerBrowser();
    const QString browser = CanonicalBrowserName(installerBrowser);
    if (browser == kEdgeBrowserName) {
        return QString();
    }
    const ProcessMap running = GetCurrentProcessMap(&IsKnownBrowser);
    if (!browser.isEmpty()) {
        QString found = FindRunning(running, browser);
        if (found.isEmpty()) {
            found = FindInMuiCache(installerBrowser);
        }
        if (found.isEmpty()) {
            found = FindInstalled(browser);
        }
        if (!found.isEmpty()) {
            return found;
        }
    }
    return FindMostPopularRunning(running, PrioritiesOfLocale(CurrentLocale()));
}

}  // namespace App
}  // namespace Tavrin
