#pragma once

#include <Tavrin/App/TavrinAppExport.h>

class QObject;
class QValidator;

namespace Tavrin {
namespace Util {

// A validator for e-mail address fields: "name@example.com" is Acceptable, a prefix that can
// still grow into an address ("name@exa") is Intermediate, anything else is Invalid.
// The local part is dot-separated runs of letters, digits and !#$%&'*+/=?^_`{|}~- ; the
// domain is dot-separated labels of letters, digits and inner hyphens, ending in a top-level
// label of at least two letters. The caller (or parent) owns the result.
TAVRIN_APP_EXPORT QValidator* GetEmailValidator(QObject* parent);

}  // namespace Util
}  // namespace Tavrin
