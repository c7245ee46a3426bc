#pragma once

#include <Tavrin/App/Application/AbstractPreferredBrowser.h>
#include <Tavrin/App/TavrinAppExport.h>

#include <QString>

namespace Tavrin {
namespace App {

// Finds the browser to open links with: the one the installer was run from (installer
// setting "Browser") when it runs or is installed where that browser installs, otherwise the
// running browser that is most popular in the current interface language. Never Microsoft
// Edge: for it the path stays empty and links open with the system's default.
class TAVRIN_APP_EXPORT PreferredBrowser : public AbstractPreferredBrowser
{
public:
    QString FindBrowserPath() override;
};

}  // namespace App
}  // namespace Tavrin
