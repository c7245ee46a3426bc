#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Tavrin {
namespace App {

class ISettingsManagerObserver;

// A typed key/value store. Keys are UTF-8; "/" separates groups. A getter returns its
// default only when the key is absent. A setter that changes the stored value tells every
// registered observer before it returns; one that stores the same value tells nobody.
//
// "The same value" is decided the way QVariant compares values: two doubles that differ by
// about one part in 10^12 or less (1.0, then 1.0 + 1e-13), -0.0 written over 0.0, and a
// 64-bit integer written over a double of the same value (or the other way round) count as
// unchanged, so such a write is neither stored nor notified.
class TAVRIN_APP_EXPORT ISettingsManager
{
public:
    virtual void RegisterObserver(ISettingsManagerObserver* observer) = 0;
    virtual void UnregisterObserver(ISettingsManagerObserver* observer) = 0;

    virtual void SetBool(const std::string& key, bool value) = 0;
    virtual void SetInt(const std::string& key, int value) = 0;
    virtual void SetString(const std::string& key, const std::string& value) = 0;
    virtual void SetByteArray(const std::string& key, const std::vector<unsigned char>& value) = 0;
    virtual void SetInt64(const std::string& key, std::int64_t value) = 0;
    virtual void SetDouble(const std::string& key, double value) = 0;

    virtual bool GetBool(const std::string& key, bool defaultValue) const = 0;
    virtual int GetInt(const std::string& key, int defaultValue) const = 0;
    virtual std::string GetString(const std::string& key,
                                  const std::string& defaultValue) const = 0;
    virtual std::vector<unsigned char> GetByteArray(
        const std::string& key, const std::vector<unsigned char>& defaultValue) const = 0;
    virtual std::int64_t GetInt64(const std::string& key, std::int64_t defaultValue) const = 0;
    virtual double GetDouble(const std::string& key, double defaultValue) const = 0;

    virtual bool Contains(const std::string& key) const = 0;
    // Removes the key, or a whole group with everything below it. Observers are not told.
    virtual void Remove(const std::string& key) = 0;

    virtual ~ISettingsManager();
};

}  // namespace App
}  // namespace Tavrin
