#pragma once

#include <Tavrin/App/Application/ICustomizationManager.h>

#include <QCoreApplication>
#include <QPixmap>

namespace Kestrel {

// Who the product is: its names, version, icon and support address.
class KestrelCustomization : public Tavrin::App::ICustomizationManager
{
    Q_DECLARE_TR_FUNCTIONS(KestrelCustomization)

public:
    // The path of the product's icon in its Qt resources.
    static const char* const kIconPath;

    // The icon (the resource at kIconPath).
    static QPixmap LoadIcon();

    void ApplyLocale(const std::string& locale) override;
    void ApplyCustomization(QWidget* widget) override;
    std::string GetOrganizationName() const override;
    Tavrin::Core::Version GetVersion() const override;
    std::string GetTemporaryFolderName() const override;
    std::string GetApplicationName() const override;
    std::string GetAboutProductName() const override;
    std::string GetApplicationIconPath() const override;
    std::string GetModuleName() const override;
    std::string GetProductFolderName() const override;
    std::string GetSupportEmail() const override;
    std::string GetCustomAboutCaption() const override;
    std::string GetPostInstallPage() const override;
    bool IsEmailDialogEnabled() const override;
};

}  // namespace Kestrel
