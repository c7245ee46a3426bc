#include "Tavrin/App/Application/FontVariables_p.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QVariantMap>

namespace Tavrin {
namespace App {

namespace {

// One object of fonts.json: platform key -> language key -> variable -> value.
void MergeEntries(const QVariantMap& document, const QString& platform, const QString& language,
                  QMap<QString, QString>& variables)
{
    const auto platformEntry = document.find(platform);
    if (platformEntry == document.end()) {
        return;
    }
    const QVariantMap languages = platformEntry->toMap();
    const auto languageEntry = languages.find(language);
    if (languageEntry == languages.end()) {
        return;
    }
    const QVariantMap entries = languageEntry->toMap();
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        variables[QLatin1Char('@') + entry.key()] = entry.value().toString();
    }
}

}  // namespace

bool MergeFontVariablesFromJson(const QByteArray& json, const QString& platform,
                                const QString& language, QMap<QString, QString>& variables,
                                QString* error)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject()) {
        if (error) {
            *error = parseError.errorString();
        }
        return false;
    }
    const QVariantMap map = document.object().toVariantMap();
    const QString allPlatforms = QStringLiteral("all_platforms");
    const QString allLanguages = QStringLiteral("all_languages");
    MergeEntries(map, allPlatforms, allLanguages, variables);
    MergeEntries(map, allPlatforms, language, variables);
    MergeEntries(map, platform, allLanguages, variables);
    MergeEntries(map, platform, language, variables);
    return true;
}

}  // namespace App
}  // namespace Tavrin
