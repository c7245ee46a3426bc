#include "KestrelThemeFollower.h"

#include "KestrelLookAndFeel.h"

#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ILookAndFeelManager.h>
#include <Tavrin/App/Application/ISettingsManager.h>

#include <algorithm>

namespace Kestrel {

KestrelThemeFollower::KestrelThemeFollower(Tavrin::App::Application& application)
    : m_application(application), m_store(application.GetProductSettingsManager())
{
    if (m_store) {
        m_store->RegisterObserver(this);
    }
}

KestrelThemeFollower::~KestrelThemeFollower()
{
    if (m_store) {
        m_store->UnregisterObserver(this);
    }
}

void KestrelThemeFollower::OnStringChanged(const std::string& key, const std::string& newValue,
                                           const boost::optional<std::string>& /*oldValue*/)
{
    const std::shared_ptr<Tavrin::App::ILookAndFeelManager> manager =
        m_application.GetLookAndFeel();
    if (key != KestrelLookAndFeel::kThemeKey || !manager ||
        manager->GetCurrentTheme() == newValue) {
        return;
    }
    const std::list<std::string>& themes = manager->GetThemes();
    if (std::find(themes.begin(), themes.end(), newValue) != themes.end()) {
        manager->SetTheme(newValue);
    }
}

}  // namespace Kestrel
