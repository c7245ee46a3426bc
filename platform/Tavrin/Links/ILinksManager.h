#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Links/ILinksGenerator.h>
#include <Tavrin/Links/ILinksOpener.h>

namespace Tavrin {
namespace App {

// Makes and opens the product's web links.
class TAVRIN_APP_EXPORT ILinksManager : virtual public ILinksGenerator, virtual public ILinksOpener
{
};

}  // namespace App
}  // namespace Tavrin
