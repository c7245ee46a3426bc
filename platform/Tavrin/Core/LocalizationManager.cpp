#include "Tavrin/Core/LocalizationManager.h"

#include "Tavrin/Core/MessageCatalogue_p.h"

#include <glog/logging.h>

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <exception>

namespace Tavrin {
namespace Core {

namespace {

// The directories to look in for a locale such as "sr_RS@latin" or "ru_RU.UTF-8", most
// specific first: {language}_{country}@{variant}, {language}@{variant}, {language}_{country},
// {language}.
std::vector<std::string> LanguageDirectories(const std::string& locale)
{
    std::string name = locale;
    std::string variant;
    const auto at = name.find('@');
    if (at != std::string::npos) {
        variant = name.substr(at);
        name.erase(at);
    }
    name.erase(std::min(name.find('.'), name.size()));
    const std::string language = name.substr(0, name.find('_'));
    std::vector<std::string> candidates;
    for (const std::string& candidate :
         {variant.empty() ? std::string() : name + variant,
          variant.empty() || language == name ? std::string() : language + variant, name,
          language == name ? std::string() : language}) {
        if (!candidate.empty()) {
            candidates.push_back(candidate);
        }
    }
    return candidates;
}

}  // namespace

LocalizationManager::LocalizationManager() : m_catalogues(std::make_shared<Catalogues>()) {}

LocalizationManager::~LocalizationManager() = default;

void LocalizationManager::Init(const std::string& defaultDomain, const ioPath& directory)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_defaultDomain = defaultDomain;
    m_directory = directory;
    m_domains.clear();
    m_catalogues = std::make_shared<Catalogues>();
    m_read.clear();
}

void LocalizationManager::Release()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_defaultDomain.clear();
    m_directory = ioPath();
    m_language.clear();
    m_domains.clear();
    m_catalogues = std::make_shared<Catalogues>();
    m_read.clear();
}

void LocalizationManager::SetLanguage(const std::string& language)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_language = language;
    auto catalogues = std::make_shared<Catalogues>();
    for (const std::string& domain : m_domains) {
        catalogues->emplace(domain, LoadCatalogue(domain));
    }
    // The default domain is loaded like an added one, whether added or not.
    if (!m_defaultDomain.empty() && !catalogues->count(m_defaultDomain)) {
        catalogues->emplace(m_defaultDomain, LoadCatalogue(m_defaultDomain));
    }
    m_catalogues = std::move(catalogues);
}

std::string LocalizationManager::GetLanguage() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_language;
}

void LocalizationManager::AddDomain(const std::string& domain)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (std::find(m_domains.begin(), m_domains.end(), domain) == m_domains.end()) {
        m_domains.push_back(domain);
    }
    m_read.erase({m_language, domain});
    auto catalogues = std::make_shared<Catalogues>(*m_catalogues);
    (*catalogues)[domain] = LoadCatalogue(domain);
    m_catalogues = std::move(catalogues);
}

std::string LocalizationManager::Translate(const std::string& domain, const std::string& key) const
{
    std::shared_ptr<const Catalogues> catalogues;
    std::string name;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        catalogues = m_catalogues;
        name = domain.empty() ? m_defaultDomain : domain;
    }
    const auto found = catalogues->find(name);
    if (key.empty() || found == catalogues->end() || !found->second) {
        return key;
    }
    const std::string* text = found->second->Find(key);
    return text ? *text : key;
}

LocalizationManager::CataloguePtr LocalizationManager::LoadCatalogue(const std::string& domain)
{
    const auto key = std::make_pair(m_language, domain);
    const auto read = m_read.find(key);
    return read != m_read.end() ? read->second
                                : m_read.emplace(key, ReadCatalogue(domain)).first->second;
}

LocalizationManager::CataloguePtr LocalizationManager::ReadCatalogue(
    const std::string& domain) const
{
    if (m_language.empty() || m_directory.empty()) {
        return nullptr;
    }
    for (const std::string& language : LanguageDirectories(m_language)) {
        const ioPath file = m_directory / language / "LC_MESSAGES" / (domain + ".mo");
        boost::system::error_code error;
        if (!boost::filesystem::is_regular_file(file.boost_path(), error)) {
            continue;
        }
        try {
            return std::make_shared<const MessageCatalogue>(
                MessageCatalogue::Read(file.platformString()));
        } catch (const std::exception& failure) {
            LOG(WARNING) << "The message catalogue of domain [" << domain << "] for language ["
                         << m_language << "] in [" << file.utf8string()
                         << "] could not be read: " << failure.what();
            return nullptr;
        }
    }
    return nullptr;
}

DomainLocalizationManager::DomainLocalizationManager(std::string domain)
    : m_domain(std::move(domain))
{
}

std::string DomainLocalizationManager::Translate(const std::string& key) const
{
    return GetLocalizationManager().Translate(m_domain, key);
}

LocalizationManager& GetLocalizationManager()
{
    static LocalizationManager manager;
    return manager;
}

DomainLocalizationManager GetLocalizationManagerForDomain(const std::string& domain)
{
    return DomainLocalizationManager(domain);
}

}  // namespace Core
}  // namespace Tavrin
