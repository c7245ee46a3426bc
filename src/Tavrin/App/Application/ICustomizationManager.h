#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/Version.h>

#include <string>

class QWidget;

namespace Tavrin {
namespace App {

// The product's identity and customisation, implemented by the product and handed to the
// application with SetCustomizationManager. Texts are UTF-8.
class TAVRIN_APP_EXPORT ICustomizationManager
{
public:
    virtual ~ICustomizationManager();

    // Called when the diagnostics switch the interface language for a test run.
    virtual void ApplyLocale(const std::string& locale) = 0;
    // Lets the product restyle a stock dialog (the about box) before it is shown.
    virtual void ApplyCustomization(QWidget* widget) = 0;
    virtual std::string GetOrganizationName() const = 0;
    virtual Core::Version GetVersion() const = 0;
    // Name of the product's folder in the temporary directory.
    virtual std::string GetTemporaryFolderName() const = 0;
    virtual std::string GetApplicationName() const = 0;
    virtual std::string GetAboutProductName() const = 0;
    virtual std::string GetApplicationIconPath() const = 0;
    // The product's module name, used in links and diagnostics.
    virtual std::string GetModuleName() const = 0;
    // The product's folder name: names the log directory and the installer's key.
    virtual std::string GetProductFolderName() const = 0;
    virtual std::string GetSupportEmail() const = 0;
    virtual std::string GetCustomAboutCaption() const = 0;
    // The page to open after an installation; "thankyou" selects the thank-you pages.
    virtual std::string GetPostInstallPage() const = 0;
    virtual bool IsEmailDialogEnabled() const = 0;
};

}  // namespace App
}  // namespace Tavrin
