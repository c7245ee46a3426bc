// fonts.json documents of a theme: anything is either merged or rejected, a rejected document
// changes no variable, and every merged variable is named "@<key>".
#include "Tavrin/App/Application/FontVariables_p.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QMap<QString, QString> variables{{QStringLiteral("@kept"), QStringLiteral("before")}};
    const QMap<QString, QString> before = variables;
    if (!Tavrin::App::MergeFontVariablesFromJson(json, QStringLiteral("win"),
                                                 QStringLiteral("de_DE"), variables)) {
        if (variables != before) {
            std::abort();
        }
        return 0;
    }
    for (auto it = variables.cbegin(); it != variables.cend(); ++it) {
        if (!it.key().startsWith(QLatin1Char('@'))) {
            std::abort();
        }
    }
    return 0;
}
