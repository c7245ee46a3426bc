#include "Tavrin/App/Application/URLHandler.h"

#include <Tavrin/App/Application/AbstractPreferredBrowser.h>
#include <Tavrin/App/Application/BrowserNames_p.h>

#include <Tavrin/Util/FileSystem.h>

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopedValueRollback>

#include <glog/logging.h>

#include <unistd.h>

namespace Tavrin {
namespace App {

namespace {

bool IsEdge(const QString& path)
{
    return path.contains(QLatin1String("MicrosoftEdge")) ||
           CanonicalBrowserName(QFileInfo(path).fileName()) == kEdgeBrowserName;
}

// Only web pages go to the browser; other schemes reach here only by direct calls.
bool IsWebUrl(const QUrl& url)
{
    return (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           !url.host().isEmpty();
}

}  // namespace

URLHandler::URLHandler(QObject* parent, std::shared_ptr<AbstractPreferredBrowser> preferredBrowser)
    : QObject(parent), m_preferredBrowser(std::move(preferredBrowser))
{
}

URLHandler::~URLHandler() = default;

void URLHandler::OpenURLWithPreferredBrowser(const QUrl& url)
{
    // An invalid URL has no text to give the browser but "", which it would take for a page.
    if (!url.isValid() || url.isRelative()) {
        LOG(WARNING) << "Not opening an invalid URL: " << url.errorString().toStdString();
        return;
    }
    if (!m_openingWithSystemDefault && IsWebUrl(url) && StartPreferredBrowser(url)) {
        return;
    }
    OpenWithSystemDefault(url);
}

bool URLHandler::StartPreferredBrowser(const QUrl& url)
{
    const QString browser = m_preferredBrowser ? m_preferredBrowser->GetBrowserPath() : QString();
    if (browser.isEmpty() || IsEdge(browser)) {
        return false;
    }
    // A path remembered or found earlier may lead to a program that another user can change.
    if (geteuid() == 0 && !Util::OnlyRootMayChange(QFile::encodeName(browser).toStdString())) {
        LOG(WARNING) << "Not starting " << browser.toStdString()
                     << " as root: another user could change it";
        return false;
    }
    if (!QProcess::startDetached(browser, {url.toString()})) {
        LOG(WARNING) << "Could not start the browser " << browser.toStdString();
        return false;
    }
    return true;
}

// Called from inside the handler, QDesktopServices::openUrl goes to the system and not back
// to the handler. A direct call of the slot does come back here once, through openUrl; the
// flag sends that call straight on to the system as well.
void URLHandler::OpenWithSystemDefault(const QUrl& url)
{
    const QScopedValueRollback<bool> opening(m_openingWithSystemDefault, true);
    QDesktopServices::openUrl(url);
}

}  // namespace App
}  // namespace Tavrin
