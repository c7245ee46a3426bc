#pragma once

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

namespace Tavrin {
namespace App {

// Templates of one link by locale; a link written as a plain string has only "default".
using LocaleTemplates = QHash<QString, QString>;
using LinkTable = QHash<QString, LocaleTemplates>;

// Reads links.json: an object of key strings to a URL template or to an object of templates
// per locale. Returns false with `error` set when the document is not such an object at all;
// members of the wrong shape are dropped one by one and named in `skipped`.
bool ParseLinkTable(const QByteArray& json, LinkTable& table, QString& error, QStringList& skipped);

// One forward pass over the template: a placeholder is the text between a "}" and the last
// "{" before it. A parameter of that name is inserted first, else `appendBuiltIn(name, result)`
// may append a value and return true; an unknown placeholder stays as it is. Values are
// inserted as they are, never expanded again, so a "{" in an e-mail address or a parameter
// stays text.
template <typename AppendBuiltIn>
QString ExpandLinkTemplate(const QString& pattern, const QMap<QString, QString>& parameters,
                           AppendBuiltIn&& appendBuiltIn)
{
    QString result;
    result.reserve(pattern.size() + 32);
    int copied = 0;  // pattern text before this is in the result
    int open = -1;   // the last "{" seen
    for (int close = 0; close < pattern.size(); ++close) {
        const QChar c = pattern.at(close);
        if (c == QLatin1Char('{')) {
            open = close;
            continue;
        }
        if (c != QLatin1Char('}') || open < copied)
            continue;
        result.append(pattern.midRef(copied, open - copied));
        const QStringRef name = pattern.midRef(open + 1, close - open - 1);
        const auto parameter =
            parameters.isEmpty() ? parameters.constEnd() : parameters.constFind(name.toString());
        if (parameter != parameters.constEnd())
            result.append(parameter.value());
        else if (!appendBuiltIn(name, result))
            result.append(pattern.midRef(open, close + 1 - open));
        copied = close + 1;
    }
    result.append(pattern.midRef(copied));
    return result;
}

}  // namespace App
}  // namespace Tavrin
