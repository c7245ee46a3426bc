// links.json and the URL templates in it: a table is read or rejected as a whole; every
// template expands in one pass, and a template with nothing to fill in comes back unchanged.
#include <Tavrin/Links/LinkTable_p.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace Tavrin::App;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    LinkTable table;
    QString error;
    QStringList skipped;
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<int>(size));
    if (!ParseLinkTable(json, table, error, skipped)) {
        if (!table.isEmpty() || error.isEmpty()) {
            std::abort();
        }
        return 0;
    }
    // A parameter value that looks like a placeholder stays text.
    const QMap<QString, QString> parameters{{QStringLiteral("email"), QStringLiteral("{lang}")}};
    const auto lang = [](const QStringRef& name, QString& result) {
        if (name != QLatin1String("lang")) {
            return false;
        }
        result.append(QLatin1String("de"));
        return true;
    };
    const auto nothing = [](const QStringRef&, QString&) { return false; };
    for (const LocaleTemplates& templates : table) {
        for (const QString& pattern : templates) {
            ExpandLinkTemplate(pattern, parameters, lang);
            if (ExpandLinkTemplate(pattern, {}, nothing) != pattern) {
                std::abort();
            }
        }
    }
    return 0;
}
