#pragma once

#include <Tavrin/App/TavrinAppExport.h>

class QString;

namespace Tavrin {
namespace App {

// The product's splash screen. The application activates it when it starts, or when the
// application becomes active before it has started.
class TAVRIN_APP_EXPORT ISplash
{
public:
    virtual ~ISplash();
    // A progress message while the product starts; splashes that show none ignore it.
    virtual void ShowMessage(const QString& message);
    virtual void Activate() = 0;
};

}  // namespace App
}  // namespace Tavrin
