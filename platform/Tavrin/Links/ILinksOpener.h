#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Links/URLKeys.h>

#include <QString>

namespace Tavrin {
namespace App {

// Opens web links for the user.
class TAVRIN_APP_EXPORT ILinksOpener
{
public:
    virtual ~ILinksOpener();

    virtual void OpenUrl(const QString& url) const = 0;
    virtual void OpenUrl(URLKeys key) const = 0;
};

}  // namespace App
}  // namespace Tavrin
