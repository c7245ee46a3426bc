#include "Tavrin/Util/VersionToString.h"

#include <QStringList>

namespace Tavrin {
namespace Util {

QString VersionToString(const Core::Version& version, int detail, const QString& separator)
{
    const std::size_t count =
        detail > 0 ? static_cast<std::size_t>(detail) : version.Numbers().size();
    QStringList parts;
    parts.reserve(static_cast<int>(count));
    for (std::size_t i = 0; i < count; ++i) {
        parts << QString::number(version.At(i));
    }
    return parts.join(separator);
}

}  // namespace Util
}  // namespace Tavrin
