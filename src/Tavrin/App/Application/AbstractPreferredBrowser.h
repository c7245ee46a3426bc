#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QString>

namespace Tavrin {
namespace App {

// The web browser through which the product opens links. Its executable is remembered for
// the process and, in the product settings ("PreferredBrowser"), across runs; a subclass
// decides how a browser is found when nothing usable is remembered.
class TAVRIN_APP_EXPORT AbstractPreferredBrowser
{
public:
    AbstractPreferredBrowser();
    virtual ~AbstractPreferredBrowser();

    // One full detection; empty when no browser should be used.
    virtual QString FindBrowserPath() = 0;

    // The remembered executable, detected again first when it is unknown or gone.
    QString GetBrowserPath();
    // Takes the path remembered in the product settings while that file exists; otherwise
    // detects and stores the result, also an empty one.
    void UpdateBrowserPath();
    // The remembered executable's file name, letter case kept; never detects.
    QString GetBrowserFileName() const;
    // The user agent of the remembered browser; for an unknown one or none, the first of
    // the table ("browser.exe").
    QString GetUserAgent() const;

private:
    QString m_browserPath;
};

}  // namespace App
}  // namespace Tavrin
