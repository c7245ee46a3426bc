#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

namespace Tavrin {
namespace App {

// Merges the font variables of a fonts.json document into `variables` ("@name" -> value), in
// the order that lets the more specific win: every platform and language, every platform and
// `language`, `platform` and every language, `platform` and `language`. Numbers give their
// decimal text, booleans "true"/"false", objects and arrays "". Returns false, changing
// nothing, when the document is not a JSON object; `error` then says why.
bool MergeFontVariablesFromJson(const QByteArray& json, const QString& platform,
                                const QString& language, QMap<QString, QString>& variables,
                                QString* error = nullptr);

}  // namespace App
}  // namespace Tavrin
