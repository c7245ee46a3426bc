#pragma once

#include <Tavrin/App/TavrinAppExport.h>

namespace Tavrin {
namespace App {

// Hands the keyboard focus back to whoever started this program.
class TAVRIN_APP_EXPORT IFocusTransferer
{
public:
    virtual ~IFocusTransferer();
    virtual void GiveFocusToParent() = 0;
};

}  // namespace App
}  // namespace Tavrin
