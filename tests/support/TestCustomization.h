#pragma once

#include <Tavrin/App/Application/ICustomizationManager.h>
#include <Tavrin/App/Application/IGateway.h>

#include <QStringList>
#include <QWidget>

#include <string>
#include <vector>

namespace Tavrin {
namespace Test {

// A product identity for tests: returns its fields, which a test sets before handing it to
// the application, and records the locales the application applies.
class Customization : public App::ICustomizationManager
{
public:
    void ApplyLocale(const std::string& locale) override
    {
        appliedLocales << QString::fromStdString(locale);
    }
    void ApplyCustomization(QWidget* widget) override
    {
        customizedWidgets << (widget ? widget->objectName() : QStringLiteral("(null)"));
    }
    std::string GetOrganizationName() const override { return organization; }
    Core::Version GetVersion() const override { return version; }
    std::string GetTemporaryFolderName() const override { return temporaryFolder; }
    std::string GetApplicationName() const override { return applicationName; }
    std::string GetAboutProductName() const override { return aboutName; }
    std::string GetApplicationIconPath() const override { return iconPath; }
    std::string GetModuleName() const override { return moduleName; }
    std::string GetProductFolderName() const override { return productFolder; }
    std::string GetSupportEmail() const override { return supportEmail; }
    std::string GetCustomAboutCaption() const override { return customAboutCaption; }
    std::string GetPostInstallPage() const override { return postInstallPage; }
    bool IsEmailDialogEnabled() const override { return emailDialogEnabled; }

    std::string organization = "Tavrin";
    Core::Version version{14, 5, 0};
    std::string temporaryFolder = "TavrinTest";
    std::string applicationName = "Tavrin Test";
    std::string aboutName = "Tavrin Test";
    std::string iconPath;
    std::string moduleName = "test";
    std::string productFolder = "TestProduct";
    std::string supportEmail;
    std::string customAboutCaption;
    std::string postInstallPage;
    bool emailDialogEnabled = false;

    QStringList appliedLocales;
    QStringList customizedWidgets;  // object names of the widgets handed to ApplyCustomization
};

// Keeps what the application hands to the gateway, for the test to run.
struct Gateway : ExternalStimulus::IGateway
{
    void AddStimulus(const ExternalStimulus::Stimulus& s) override { stimuli.push_back(s); }
    std::vector<ExternalStimulus::Stimulus> stimuli;
};

}  // namespace Test
}  // namespace Tavrin
