#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace Tavrin {
namespace Util {

// The same text as UTF-8 on the std side and UTF-16 on the Qt side. Invalid UTF-8 decodes
// to replacement characters; it never fails.
TAVRIN_APP_EXPORT QString Utf8ToQString(const std::string& text);
TAVRIN_APP_EXPORT std::string QStringToUtf8(const QString& text);

// The same bytes in both containers.
TAVRIN_APP_EXPORT QByteArray VectorByteToQByteArray(const std::vector<unsigned char>& bytes);
TAVRIN_APP_EXPORT std::vector<unsigned char> QByteArrayToVectorByte(const QByteArray& bytes);

}  // namespace Util
}  // namespace Tavrin
