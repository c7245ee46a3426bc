#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/ioPath.h>

#include <string>

namespace Tavrin {
namespace Core {

// A shared library loaded at run time. The library stays loaded while this object holds
// it; destroying the object (or opening another library) unloads it.
class TAVRIN_APP_EXPORT DyLib
{
public:
    DyLib() = default;
    ~DyLib();
    DyLib(const DyLib&) = delete;
    DyLib& operator=(const DyLib&) = delete;

    // Loads the library with every symbol resolved now and kept private to it. A bare file
    // name is searched for like any shared library. Returns false (see GetLastError) when
    // it cannot be loaded.
    bool Open(const ioPath& path);
    void Close();
    bool IsOpen() const;

    // The address of the exported symbol, or null when no library is open or it has none.
    void* GetProc(const std::string& name) const;

    // Why the last Open or GetProc failed; empty after a success.
    std::string GetLastError() const;

private:
    void* m_handle = nullptr;
    mutable std::string m_lastError;
};

}  // namespace Core
}  // namespace Tavrin
