// Compiled message catalogues (.mo): anything is either read or rejected with
// std::runtime_error, never read beyond its bytes.
#include "Tavrin/Core/MessageCatalogue_p.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        const auto catalogue = Tavrin::Core::MessageCatalogue::Parse(bytes);
        catalogue.Find("Hello");
    } catch (const std::runtime_error&) {
    }
    return 0;
}
