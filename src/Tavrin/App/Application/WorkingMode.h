#pragma once

namespace Tavrin {
namespace Enums {

// The product's working mode. The library knows only Interactive: a restart in that mode
// asks the user first. The other values belong to the product.
enum WorkingMode : int
{
    Interactive = 0,
};

}  // namespace Enums
}  // namespace Tavrin
