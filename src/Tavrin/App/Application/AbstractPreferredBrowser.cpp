#include "Tavrin/App/Application/AbstractPreferredBrowser.h"

#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/BrowserNames_p.h>
#include <Tavrin/App/Application/ISettingsManager.h>
#include <Tavrin/Util/StringConversion.h>

#include <QFileInfo>

#include <map>
#include <memory>

namespace Tavrin {
namespace App {

namespace {

const char kPreferredBrowserKey[] = "PreferredBrowser";

// Sorted by name, so the first entry, "browser.exe", is also the answer for unknown browsers.
const std::map<QString, QString> kUserAgents = {
    {QStringLiteral("browser.exe"),
     QStringLiteral("Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
                    "Chrome/30.0.1599.12785 YaBrowser/13.12.1599.12785 Safari/537.36")},
    {QStringLiteral("chrome.exe"),
     QStringLiteral("Mozilla/5.0 (Windows NT 6.1) AppleWebKit/537.36 (KHTML, like Gecko) "
                    "Chrome/41.0.2228.0 Safari/537.36")},
    {QStringLiteral("firefox.exe"),
     QStringLiteral("Mozilla/5.0 (Windows NT 6.1; WOW64; rv:40.0) Gecko/20100101 Firefox/40.1")},
    {QStringLiteral("iexplore.exe"),
     QStringLiteral("Mozilla/5.0 (Windows NT 6.1; WOW64; Trident/7.0; AS; rv:11.0) like Gecko")},
    {QStringLiteral("microsoftedge.exe"),
     QStringLiteral("Mozilla/5.0 (Windows NT 10.0) AppleWebKit/537.36 (KHTML, like Gecko) "
                    "Chrome/42.0.2311.135 Safari/537.36 Edge/12.10240")},
    {QStringLiteral("opera.exe"),
     QStringLiteral("Opera/9.80 (Windows NT 6.0) Presto/2.12.388 Version/12.14")},
    {QStringLiteral("safari.exe"),
     QStringLiteral("Mozilla/5.0 (Windows; U; Windows NT 6.1; en-US) AppleWebKit/533.20.25 "
                    "(KHTML, like Gecko) Version/5.0.4 Safari/533.20.27")},
};

std::shared_ptr<ISettingsManager> ProductSettings()
{
    const Application* application = Application::Instance();
    return application ? application->GetProductSettingsManager() : nullptr;
}

}  // namespace

AbstractPreferredBrowser::AbstractPreferredBrowser() = default;

AbstractPreferredBrowser::~AbstractPreferredBrowser() = default;

QString AbstractPreferredBrowser::GetBrowserPath()
{
    if (m_browserPath.isEmpty() || !QFileInfo::exists(m_browserPath)) {
        UpdateBrowserPath();
    }
    return m_browserPath;
}

void AbstractPreferredBrowser::UpdateBrowserPath()
{
    const std::shared_ptr<ISettingsManager> settings = ProductSettings();
    const QString remembered =
        settings ? Util::Utf8ToQString(settings->GetString(kPreferredBrowserKey, "")) : QString();
    if (!remembered.isEmpty() && QFileInfo::exists(remembered)) {
        m_browserPath = remembered;
        return;
    }
    m_browserPath = FindBrowserPath();
    if (settings) {
        settings->SetString(kPreferredBrowserKey, Util::QStringToUtf8(m_browserPath));
    }
}

QString AbstractPreferredBrowser::GetBrowserFileName() const
{
    return QFileInfo(m_browserPath).fileName();
}

QString AbstractPreferredBrowser::GetUserAgent() const
{
    auto agent = kUserAgents.find(CanonicalBrowserName(GetBrowserFileName()));
    if (agent == kUserAgents.end()) {
        agent = kUserAgents.begin();
    }
    return agent->second;
}

}  // namespace App
}  // namespace Tavrin
