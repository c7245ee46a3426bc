// Property trees read from JSON (settings trees, theme title files): anything is either read or
// rejected with an exception, and what is read writes out and reads back as the same tree.
#include <Tavrin/Core/Exception.h>
#include <Tavrin/Core/PropertySerializer.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace Tavrin::Core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    Property tree("root");
    tree["kept"].SetString("before");
    const Property before = tree;
    try {
        PropertySerializer::Deserialize(tree, DataInputString::Create(&text), size % 2 == 0);
    } catch (const Tavrin::Exception&) {
        if (!(tree == before)) {
            std::abort();  // a rejected document must leave the target untouched
        }
        return 0;
    }
    std::string written;
    try {
        PropertySerializer::Serialize(tree, written);
    } catch (const Tavrin::Exception&) {
        return 0;  // nested deeper than may be written (a merge can add one level)
    }
    Property back("root");
    PropertySerializer::Deserialize(back, DataInputString::Create(&written), true);
    if (!(back == tree)) {
        std::abort();
    }
    return 0;
}
