#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <boost/optional.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace Tavrin {
namespace App {

// Told of every effective change of a settings store, synchronously, on the thread that
// made it (a change made by another process: on the application's thread). The previous value is empty when the key did not exist before, and is always
// given in the new value's type.
class TAVRIN_APP_EXPORT ISettingsManagerObserver
{
public:
    virtual void OnBoolChanged(const std::string& key, bool newValue,
                               const boost::optional<bool>& oldValue) = 0;
    virtual void OnIntChanged(const std::string& key, int newValue,
                              const boost::optional<int>& oldValue) = 0;
    virtual void OnStringChanged(const std::string& key, const std::string& newValue,
                                 const boost::optional<std::string>& oldValue) = 0;
    virtual void OnByteArrayChanged(
        const std::string& key, const std::vector<unsigned char>& newValue,
        const boost::optional<std::vector<unsigned char>>& oldValue) = 0;
    virtual void OnInt64Changed(const std::string& key, std::int64_t newValue,
                                const boost::optional<std::int64_t>& oldValue) = 0;
    virtual void OnDoubleChanged(const std::string& key, double newValue,
                                 const boost::optional<double>& oldValue) = 0;

protected:
    virtual ~ISettingsManagerObserver();
};

}  // namespace App
}  // namespace Tavrin
