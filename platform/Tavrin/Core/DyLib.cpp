#include "Tavrin/Core/DyLib.h"

#include <dlfcn.h>

namespace Tavrin {
namespace Core {

namespace {

std::string TakeDlError(const std::string& fallback)
{
    const char* error = dlerror();
    return error ? std::string(error) : fallback;
}

}  // namespace

DyLib::~DyLib()
{
    Close();
}

bool DyLib::Open(const ioPath& path)
{
    Close();
    // dlopen(nullptr) or dlopen("") would hand out the main program instead of failing.
    if (path.empty()) {
        m_lastError = "No library path given";
        return false;
    }
    const std::string name = path.platformString();
    m_handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    m_lastError = m_handle ? std::string() : TakeDlError("Cannot load " + name);
    return m_handle != nullptr;
}

void DyLib::Close()
{
    if (m_handle) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}

bool DyLib::IsOpen() const
{
    return m_handle != nullptr;
}

void* DyLib::GetProc(const std::string& name) const
{
    if (!m_handle) {
        m_lastError = "No library is open";
        return nullptr;
    }
    // A symbol may legitimately have the address 0, so success is told by dlerror().
    dlerror();
    void* address = dlsym(m_handle, name.c_str());
    const char* error = dlerror();
    m_lastError = error ? std::string(error) : std::string();
    return error ? nullptr : address;
}

std::string DyLib::GetLastError() const
{
    return m_lastError;
}

}  // namespace Core
}  // namespace Tavrin
