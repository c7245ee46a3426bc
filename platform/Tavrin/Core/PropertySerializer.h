#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/DataInput.h>
#include <Tavrin/Core/Property.h>

#include <boost/intrusive_ptr.hpp>

#include <string>

namespace Tavrin {
namespace Core {

// Reads and writes Property trees as JSON (UTF-8).
//
// Reading: the document must be one object. An object's members become children in
// document order, a string becomes the node's value, numbers keep their text as written,
// true/false become "true"/"false", null an empty value, and an array's elements become
// children named "0", "1", ... A member named "" holding a string, number, boolean or null
// is the node's own value (this is how a node with both a value and children is written);
// holding an object or array it is a child named "". A repeated member name is merged into
// the earlier one. Nesting deeper than kMaxDepth objects/arrays is rejected, as are bytes
// that are not valid UTF-8.
//
// Writing: a node without children is a string; a node with children is an object, its
// non-empty value written first under "". The root is always an object and its name is not
// written. A child named "" is always written as an object so it reads back as a child.
// Invalid UTF-8 in names or values is written as U+FFFD.
class TAVRIN_APP_EXPORT PropertySerializer
{
public:
    static constexpr int kMaxDepth = 256;

    // Reads the whole input into target. With replace, target's value and children are
    // dropped first (its name is kept); without, the document is merged into them. Throws
    // Tavrin::Exception, leaving target untouched, when the input is missing or is not a
    // JSON object (the description gives the byte offset of the problem).
    static void Deserialize(Property& target, boost::intrusive_ptr<IDataInput> input, bool replace);

    // Writes the tree as indented JSON into out (replacing its content). Throws
    // Tavrin::Exception when the tree is nested deeper than Deserialize accepts.
    static void Serialize(const Property& source, std::string& out);
};

}  // namespace Core
}  // namespace Tavrin
