#pragma once

#include <Tavrin/App/TavrinAppExport.h>

class QObject;
class QValidator;

namespace Tavrin {
namespace Util {

// A validator for e-mail address fields. The caller (or parent) owns the result.
//
// Acceptable: a "valid e-mail address" as web forms define it, with a dot in the domain:
//   local part  one or more of  A-Z a-z 0-9 . ! # $ % & ' * + / = ? ^ _ ` { | } ~ -
//   "@"
//   domain      two or more labels joined by ".", each 1 to 63 of A-Z a-z 0-9 -, neither
//               starting nor ending with "-"
// So "Foo@Example.ORG" and "a.b+c@mail.example.co" pass; "user.example.org", "a@b",
// "a b@c.de", "a@@b.de" and "a@-b.de" do not.
//
// Intermediate: text that inserting characters could still make acceptable: only the
// characters above, at most one "@", no domain label longer than 63. Empty text, "name",
// "name@", "name@example" and "name@example." are Intermediate, so typing is never blocked
// on the way to an address, and neither is deleting a character out of one.
//
// Invalid: anything else: spaces, control characters, letters outside ASCII (an address in
// another script, right-to-left text), a second "@", a label of 64 characters or more.
TAVRIN_APP_EXPORT QValidator* GetEmailValidator(QObject* parent);

}  // namespace Util
}  // namespace Tavrin
