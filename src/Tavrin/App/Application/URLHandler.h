#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QObject>
#include <QUrl>

#include <memory>

namespace Tavrin {
namespace App {

class AbstractPreferredBrowser;

// Opens web links with the preferred browser. The application registers it with
// QDesktopServices for "http" and "https", so every such QDesktopServices::openUrl of the
// process ends up here.
class TAVRIN_APP_EXPORT URLHandler : public QObject
{
    Q_OBJECT

public:
    URLHandler(QObject* parent, std::shared_ptr<AbstractPreferredBrowser> preferredBrowser);
    ~URLHandler() override;

public slots:
    // Starts the browser with the URL as its one argument, never through a shell. Without a
    // browser, for Microsoft Edge, run as root with a browser that another user could change,
    // or when the start fails, the system's default handler
    // opens the URL; so it does for a valid URL that is no http(s) one with a host. An invalid
    // or relative URL is logged (WARNING) and dropped.
    void OpenURLWithPreferredBrowser(const QUrl& url);

private:
    bool StartPreferredBrowser(const QUrl& url);
    void OpenWithSystemDefault(const QUrl& url);

    std::shared_ptr<AbstractPreferredBrowser> m_preferredBrowser;
    bool m_openingWithSystemDefault = false;
};

}  // namespace App
}  // namespace Tavrin
