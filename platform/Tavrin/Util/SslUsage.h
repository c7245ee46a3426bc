#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QString>

namespace Tavrin {
namespace Util {

// Whether the application talks to its servers over TLS. On by default; a switch for test
// environments without certificates. Safe to read and change from any thread.
TAVRIN_APP_EXPORT void SetDefaultSslUsage(bool useSsl);
TAVRIN_APP_EXPORT bool GetDefaultSslUsage();

// "https" while SSL is in use, otherwise "http".
TAVRIN_APP_EXPORT QString GetDefaultUrlScheme();

}  // namespace Util
}  // namespace Tavrin
