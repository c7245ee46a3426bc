#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <string>

namespace Tavrin {
namespace Core {

// UTF-8 <-> UTF-32 (wchar_t is 32 bits on this platform). Neither direction throws: each
// maximal invalid UTF-8 subsequence decodes to one U+FFFD, and wide values that are not
// Unicode scalar values (surrogates, beyond U+10FFFF, negative) encode as U+FFFD.
TAVRIN_APP_EXPORT std::wstring WstringFromUtf8(const std::string& utf8);
TAVRIN_APP_EXPORT std::string Utf8FromWstring(const std::wstring& text);

}  // namespace Core
}  // namespace Tavrin
