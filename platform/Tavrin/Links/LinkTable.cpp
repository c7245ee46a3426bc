#include <Tavrin/Links/LinkTable_p.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace Tavrin {
namespace App {

namespace {

bool ReadLocaleTemplates(const QJsonValue& value, LocaleTemplates& templates)
{
    if (value.isString()) {
        templates.insert(QStringLiteral("default"), value.toString());
        return true;
    }
    if (!value.isObject())
        return false;
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.value().isString())
            return false;
        templates.insert(it.key(), it.value().toString());
    }
    return true;
}

}  // namespace

bool ParseLinkTable(const QByteArray& json, LinkTable& table, QString& error, QStringList& skipped)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = QStringLiteral("malformed: %1 at offset %2")
                    .arg(parseError.errorString())
                    .arg(parseError.offset);
        return false;
    }
    if (!document.isObject()) {
        error = QStringLiteral("not an object of key strings to URL templates");
        return false;
    }
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        LocaleTemplates templates;
        if (ReadLocaleTemplates(it.value(), templates))
            table.insert(it.key(), templates);
        else
            skipped << it.key();
    }
    return true;
}

}  // namespace App
}  // namespace Tavrin
