#include "KestrelCustomization.h"

#include "KestrelArt.h"

#include <QIcon>
#include <QLocale>
#include <QWidget>

namespace Kestrel {

const char* const KestrelCustomization::kIconPath = ":/kestrel/kestrel.png";

QPixmap KestrelCustomization::LoadIcon()
{
    return LoadProductIcon();
}

void KestrelCustomization::ApplyLocale(const std::string& locale)
{
    // The translators are the look-and-feel manager's; the locale decides number and date
    // formats.
    QLocale::setDefault(QLocale(QString::fromStdString(locale)));
}

void KestrelCustomization::ApplyCustomization(QWidget* widget)
{
    if (widget) {
        widget->setWindowIcon(QIcon(LoadIcon()));
    }
}

std::string KestrelCustomization::GetOrganizationName() const
{
    return "Tavrin";
}

Tavrin::Core::Version KestrelCustomization::GetVersion() const
{
    return Tavrin::Core::Version(KESTREL_VERSION_MAJOR, KESTREL_VERSION_MINOR,
                                 KESTREL_VERSION_PATCH);
}

std::string KestrelCustomization::GetTemporaryFolderName() const
{
    return "TavrinKestrel";
}

std::string KestrelCustomization::GetApplicationName() const
{
    return "Tavrin Kestrel";
}

std::string KestrelCustomization::GetAboutProductName() const
{
    return "Tavrin Kestrel";
}

std::string KestrelCustomization::GetApplicationIconPath() const
{
    return kIconPath;
}

std::string KestrelCustomization::GetModuleName() const
{
    return "kestrel";
}

std::string KestrelCustomization::GetProductFolderName() const
{
    return "Kestrel";
}

std::string KestrelCustomization::GetSupportEmail() const
{
    return "support@tavrin.invalid";
}

std::string KestrelCustomization::GetCustomAboutCaption() const
{
    return tr("About Tavrin Kestrel").toStdString();
}

std::string KestrelCustomization::GetPostInstallPage() const
{
    return "thankyou";
}

bool KestrelCustomization::IsEmailDialogEnabled() const
{
    return true;
}

}  // namespace Kestrel
