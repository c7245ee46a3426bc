#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/NotNull.h>
#include <Tavrin/Links/ILinksManager.h>

#include <QMap>
#include <QString>

#include <memory>

namespace Tavrin {
namespace App {

class ICustomizationManager;
class ILookAndFeelManager;
class ISettingsManager;

// Makes the product's links from the link table "links.json" in the resources directory and
// opens them through QDesktopServices, so the process's URL handlers see every link. Only
// valid absolute http and https URLs with a host, and mailto URLs, are opened; anything else
// is logged (WARNING) and dropped. Used from the GUI thread.
//
// The table is a JSON object from key strings to URL templates. A member is either a template
// or an object of templates per locale ("de_DE") with a "default" one; the current locale's
// template is used, else the default, else the link is empty. Templates may hold
// {scheme} (https, or http with SSL off), {locale} ("de_DE"), {lang} ("de"), {module},
// {version} ("14.5.0") and {email} (the stored "UserEmail", percent-encoded); any other
// placeholder stays as written. The table is read once, on first use. A missing table gives
// empty URLs; a malformed one gives empty URLs and an ERROR log line; a member of the wrong
// shape is skipped with an ERROR log line, the other members still work.
class TAVRIN_APP_EXPORT LinksManager : virtual public ILinksManager
{
public:
    LinksManager(NotNull<std::shared_ptr<ICustomizationManager>> customization,
                 NotNull<std::shared_ptr<ILookAndFeelManager>> lookAndFeel,
                 NotNull<std::shared_ptr<ISettingsManager>> mailSettings,
                 std::shared_ptr<ISettingsManager> installerSettings);
    ~LinksManager() override;

    QString GetUrl(const QString& key) const override;
    QString GetUrl(URLKeys key) const override;
    QString GenerateUrl(const QString& key, QMap<QString, QString> parameters) const override;

    void OpenUrl(const QString& url) const override;
    void OpenUrl(URLKeys key) const override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace App
}  // namespace Tavrin
