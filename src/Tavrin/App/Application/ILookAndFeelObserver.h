#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <string>

namespace Tavrin {
namespace App {

// Told synchronously when the interface language or theme of the look-and-feel manager
// changed.
class TAVRIN_APP_EXPORT ILookAndFeelObserver
{
public:
    virtual ~ILookAndFeelObserver();
    virtual void OnLocaleChanged(const std::string& locale) = 0;
    virtual void OnThemeChanged(const std::string& theme) = 0;
};

}  // namespace App
}  // namespace Tavrin
