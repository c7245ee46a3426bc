#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/ioPath.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace Tavrin {
namespace Core {

class MessageCatalogue;

// Message catalogues by domain: gettext .mo files at
// {directory}/{language}/LC_MESSAGES/{domain}.mo, looked up for the current language (for
// "sr_RS@latin" in sr_RS@latin, sr@latin, sr_RS and sr, the first found). A catalogue that
// cannot be read is logged once as a WARNING and treated as missing.
// A key without an entry, in a domain without a catalogue, or before a language is set,
// translates to itself. Catalogues once read are kept until Init or Release, so switching
// back to a language does not read its files again. Every operation may be called from any
// thread.
class TAVRIN_APP_EXPORT LocalizationManager
{
public:
    LocalizationManager();
    LocalizationManager(const LocalizationManager&) = delete;
    LocalizationManager& operator=(const LocalizationManager&) = delete;

    // Starts over with a default domain and the directory of the language directories.
    // The domains are dropped; the language is kept.
    virtual void Init(const std::string& defaultDomain, const ioPath& directory);
    // Drops the catalogues, the domains, the directory and the language.
    virtual void Release();
    // Loads the catalogues of the language (a name like "ru_RU") of every added domain and of
    // the default domain.
    virtual void SetLanguage(const std::string& language);
    virtual std::string GetLanguage() const;
    // Loads the domain's catalogue of the current language; adding a domain twice reloads it.
    virtual void AddDomain(const std::string& domain);
    // The UTF-8 text of key in the domain (the default domain when empty).
    virtual std::string Translate(const std::string& domain, const std::string& key) const;

    virtual ~LocalizationManager();

private:
    // Null when the language has no readable catalogue of the domain.
    using CataloguePtr = std::shared_ptr<const MessageCatalogue>;
    // Domain -> its catalogue. Replaced, never changed, so Translate reads a snapshot without
    // holding the lock.
    using Catalogues = std::map<std::string, CataloguePtr>;

    // The domain's catalogue of the current language, read once.
    CataloguePtr LoadCatalogue(const std::string& domain);
    CataloguePtr ReadCatalogue(const std::string& domain) const;

    mutable std::mutex m_lock;
    std::string m_defaultDomain;
    ioPath m_directory;
    std::string m_language;
    std::vector<std::string> m_domains;
    std::shared_ptr<const Catalogues> m_catalogues;
    // (language, domain) -> its catalogue.
    std::map<std::pair<std::string, std::string>, CataloguePtr> m_read;
};

// One domain's view of the process-wide manager.
class TAVRIN_APP_EXPORT DomainLocalizationManager
{
public:
    explicit DomainLocalizationManager(std::string domain);

    const std::string& GetDomain() const { return m_domain; }
    std::string Translate(const std::string& key) const;

private:
    std::string m_domain;
};

// The process-wide manager.
TAVRIN_APP_EXPORT LocalizationManager& GetLocalizationManager();
TAVRIN_APP_EXPORT DomainLocalizationManager
GetLocalizationManagerForDomain(const std::string& domain);

}  // namespace Core
}  // namespace Tavrin
