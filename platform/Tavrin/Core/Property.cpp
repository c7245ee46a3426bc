#include "Tavrin/Core/Property.h"

#include "Tavrin/Core/Exception.h"

#include <iterator>
#include <utility>

namespace Tavrin {
namespace Core {

Property::Property(const std::string& name) : m_name(name) {}

// The index points into the other tree's children, so a copy builds its own.
Property::Property(const Property& other)
    : m_name(other.m_name), m_value(other.m_value), m_children(other.m_children)
{
    RebuildIndex();
}

Property& Property::operator=(const Property& other)
{
    Property copy(other);
    *this = std::move(copy);
    return *this;
}

Property::~Property() = default;

bool Property::ChildExists(const std::string& name) const
{
    return m_index.count(name) != 0;
}

Property& Property::operator[](const std::string& name)
{
    if (Property* child = FindChild(name)) {
        return *child;
    }
    m_children.emplace_back(name);
    m_index.emplace(name, std::prev(m_children.end()));
    return m_children.back();
}

const Property& Property::operator[](const std::string& name) const
{
    const Property* child = FindChild(name);
    if (!child) {
        TAVRIN_THROW(Tavrin::Exception,
                     "Property '" + m_name + "' has no child named '" + name + "'");
    }
    return *child;
}

const Property* Property::FindChild(const std::string& name) const
{
    const auto found = m_index.find(name);
    return found == m_index.end() ? nullptr : &*found->second;
}

Property* Property::FindChild(const std::string& name)
{
    const auto found = m_index.find(name);
    return found == m_index.end() ? nullptr : &*found->second;
}

bool Property::RemoveChild(const std::string& name)
{
    const auto found = m_index.find(name);
    if (found == m_index.end()) {
        return false;
    }
    m_children.erase(found->second);
    m_index.erase(found);
    return true;
}

void Property::ClearChildren()
{
    m_children.clear();
    m_index.clear();
}

bool Property::Equals(const Property& other) const
{
    return m_name == other.m_name && m_value == other.m_value && m_children == other.m_children;
}

void Property::RebuildIndex()
{
    m_index.clear();
    for (auto child = m_children.begin(); child != m_children.end(); ++child) {
        m_index.emplace(child->m_name, child);
    }
}

}  // namespace Core
}  // namespace Tavrin
