#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Links/URLKeys.h>

#include <QMap>
#include <QString>

namespace Tavrin {
namespace App {

// Makes the product's web links for the current locale. An empty URL means the product has
// none for that key.
class TAVRIN_APP_EXPORT ILinksGenerator
{
public:
    virtual ~ILinksGenerator();

    // The URL for a key string of the link table ("FAQ_URL_menu").
    virtual QString GetUrl(const QString& key) const = 0;
    virtual QString GetUrl(URLKeys key) const = 0;
    // Like GetUrl, with extra placeholder values that also override the built-in ones.
    virtual QString GenerateUrl(const QString& key, QMap<QString, QString> parameters) const = 0;
};

}  // namespace App
}  // namespace Tavrin
