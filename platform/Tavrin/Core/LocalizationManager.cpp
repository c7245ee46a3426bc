#include "Tavrin/Core/LocalizationManager.h"

#include <boost/locale/gnu_gettext.hpp>
#include <boost/locale/message.hpp>

#include <glog/logging.h>

#include <algorithm>
#include <exception>

namespace Tavrin {
namespace Core {

namespace {

using MessageFacet = boost::locale::message_format<char>;

// "ru_RU", "ru_RU.UTF-8" or "sr_RS@latin" as the catalogue loader wants them. The loader
// searches {language}_{country}@{variant}, {language}@{variant}, {language}_{country},
// {language}, so the locale directory's name is found as written.
boost::locale::gnu_gettext::messages_info MessagesInfo(const std::string& locale)
{
    boost::locale::gnu_gettext::messages_info info;
    std::string name = locale;
    const auto at = name.find('@');
    if (at != std::string::npos) {
        info.variant = name.substr(at + 1);
        name.erase(at);
    }
    name.erase(std::min(name.find('.'), name.size()));
    const auto underscore = name.find('_');
    info.language = name.substr(0, underscore);
    if (underscore != std::string::npos) {
        info.country = name.substr(underscore + 1);
    }
    info.encoding = "UTF-8";
    return info;
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
    if (key.empty() || found == catalogues->end() || !std::has_facet<MessageFacet>(found->second)) {
        return key;
    }
    // Each catalogue holds exactly one domain, so its id is 0.
    const char* text = std::use_facet<MessageFacet>(found->second).get(0, nullptr, key.c_str());
    return text ? std::string(text) : key;
}

std::locale LocalizationManager::LoadCatalogue(const std::string& domain)
{
    const auto key = std::make_pair(m_language, domain);
    const auto read = m_read.find(key);
    return read != m_read.end() ? read->second
                                : m_read.emplace(key, ReadCatalogue(domain)).first->second;
}

std::locale LocalizationManager::ReadCatalogue(const std::string& domain) const
{
    if (m_language.empty() || m_directory.empty()) {
        return std::locale::classic();
    }
    boost::locale::gnu_gettext::messages_info info = MessagesInfo(m_language);
    info.domains.emplace_back(domain);
    info.paths.push_back(m_directory.platformString());
    try {
        return std::locale(std::locale::classic(),
                           boost::locale::gnu_gettext::create_messages_facet<char>(info));
    } catch (const std::exception& error) {
        LOG(WARNING) << "The message catalogue of domain [" << domain << "] for language ["
                     << m_language << "] in [" << m_directory.utf8string()
                     << "] could not be read: " << error.what();
        return std::locale::classic();
    }
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
