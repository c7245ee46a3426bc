#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/Version.h>

#include <QString>

namespace Tavrin {
namespace Util {

// Joins the version's numbers with the separator. Detail 0 joins every number; a detail
// of N joins the first N (padding with zeros when the version has fewer, up to 16 numbers).
TAVRIN_APP_EXPORT QString VersionToString(const Core::Version& version, int detail,
                                          const QString& separator);

}  // namespace Util
}  // namespace Tavrin
