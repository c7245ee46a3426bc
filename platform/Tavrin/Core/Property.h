#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <list>
#include <string>
#include <unordered_map>

namespace Tavrin {
namespace Core {

// A named tree of strings: each node has a text value and children with unique names,
// kept in the order they were added. Copies are deep. A reference to a child stays valid
// while other children are added or removed.
class TAVRIN_APP_EXPORT Property
{
public:
    using Children = std::list<Property>;

    explicit Property(const std::string& name = "");
    Property(const Property& other);
    Property(Property&& other) noexcept = default;
    Property& operator=(const Property& other);
    Property& operator=(Property&& other) noexcept = default;
    ~Property();

    const std::string& GetName() const { return m_name; }
    const std::string& GetString() const { return m_value; }
    void SetString(const std::string& value) { m_value = value; }

    bool ChildExists(const std::string& name) const;
    // The child with that name, added at the end when there is none.
    Property& operator[](const std::string& name);
    // The child with that name; throws Tavrin::Exception when there is none.
    const Property& operator[](const std::string& name) const;
    // The child with that name, or null.
    const Property* FindChild(const std::string& name) const;
    Property* FindChild(const std::string& name);

    const Children& GetChildren() const { return m_children; }
    // Returns false when there was no such child.
    bool RemoveChild(const std::string& name);
    void ClearChildren();

    // Same name, value and children in the same order.
    friend bool operator==(const Property& a, const Property& b) { return a.Equals(b); }
    friend bool operator!=(const Property& a, const Property& b) { return !a.Equals(b); }

private:
    bool Equals(const Property& other) const;
    void RebuildIndex();

    std::string m_name;
    std::string m_value;
    Children m_children;
    // Child name -> its place in m_children, so that wide nodes stay fast to fill.
    std::unordered_map<std::string, Children::iterator> m_index;
};

}  // namespace Core
}  // namespace Tavrin
