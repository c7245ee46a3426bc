#include "Tavrin/App/Application/ColorDialogHelper.h"

#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ISettingsManager.h>
#include <Tavrin/Util/StringConversion.h>

#include <QColor>
#include <QColorDialog>

#include <glog/logging.h>

#include <algorithm>
#include <memory>
#include <string>

namespace Tavrin {
namespace App {

namespace {

const char kGroup[] = "Tavrin::App::ColorDialogHelper";

std::string CountKey()
{
    return std::string(kGroup) + "/ColorsCount";
}

std::string ColorKey(int index)
{
    return std::string(kGroup) + "/Color" + std::to_string(index);
}

std::shared_ptr<ISettingsManager> GeneralStore()
{
    const Application* application = Application::Instance();
    std::shared_ptr<ISettingsManager> settings =
        application ? application->GetSettingsManager() : nullptr;
    if (!settings) {
        LOG(WARNING) << "Custom colours are not kept: "
                     << (application ? "the application has no settings store"
                                     : "there is no application object");
    }
    return settings;
}

}  // namespace

ColorDialogHelper::ColorDialogHelper()
{
    const std::shared_ptr<ISettingsManager> settings = GeneralStore();
    if (!settings) {
        return;
    }
    // The dialog ignores slots beyond its own count; a huge stored count must not be walked.
    const int count = std::min(settings->GetInt(CountKey(), 0), QColorDialog::customCount());
    const std::string missing = QColor(Qt::transparent).name().toStdString();
    for (int i = 0; i < count; ++i) {
        QColor color;
        color.setNamedColor(Util::Utf8ToQString(settings->GetString(ColorKey(i), missing)));
        QColorDialog::setCustomColor(i, color);
    }
}

ColorDialogHelper::ColorDialogHelper(const ColorDialogHelper&) = default;

ColorDialogHelper& ColorDialogHelper::operator=(const ColorDialogHelper&) = default;

ColorDialogHelper::~ColorDialogHelper()
{
    const std::shared_ptr<ISettingsManager> settings = GeneralStore();
    if (!settings) {
        return;
    }
    // A longer row saved before must not leave colours behind.
    settings->Remove(kGroup);
    const int count = QColorDialog::customCount();
    settings->SetInt(CountKey(), count);
    for (int i = 0; i < count; ++i) {
        settings->SetString(ColorKey(i), Util::QStringToUtf8(QColorDialog::customColor(i).name()));
    }
}

}  // namespace App
}  // namespace Tavrin
