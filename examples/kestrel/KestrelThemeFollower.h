#pragma once

#include <Tavrin/App/Application/ISettingsManagerObserver.h>

#include <memory>

namespace Tavrin {
namespace App {
class Application;
class ISettingsManager;
}  // namespace App
}  // namespace Tavrin

namespace Kestrel {

// Keeps every running copy of the product in the same theme: when the theme kept in the
// product store changes (another copy picked one, so the store saw it in its file), this
// copy switches to it. Picking the theme here stores it, which the others then follow.
class KestrelThemeFollower : public Tavrin::App::ISettingsManagerObserver
{
public:
    explicit KestrelThemeFollower(Tavrin::App::Application& application);
    ~KestrelThemeFollower() override;

    KestrelThemeFollower(const KestrelThemeFollower&) = delete;
    KestrelThemeFollower& operator=(const KestrelThemeFollower&) = delete;

    void OnStringChanged(const std::string& key, const std::string& newValue,
                         const boost::optional<std::string>& oldValue) override;
    void OnBoolChanged(const std::string&, bool, const boost::optional<bool>&) override {}
    void OnIntChanged(const std::string&, int, const boost::optional<int>&) override {}
    void OnByteArrayChanged(const std::string&, const std::vector<unsigned char>&,
                            const boost::optional<std::vector<unsigned char>>&) override
    {
    }
    void OnInt64Changed(const std::string&, std::int64_t,
                        const boost::optional<std::int64_t>&) override
    {
    }
    void OnDoubleChanged(const std::string&, double, const boost::optional<double>&) override {}

private:
    Tavrin::App::Application& m_application;
    std::shared_ptr<Tavrin::App::ISettingsManager> m_store;
};

}  // namespace Kestrel
