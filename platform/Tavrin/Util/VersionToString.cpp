#include "Tavrin/Util/VersionToString.h"

#include <QStringList>

#include <algorithm>

namespace Tavrin {
namespace Util {

namespace {

// No version has this many numbers; a larger detail is a mistake, not a request for
// millions of zeros.
constexpr std::size_t kMaxPaddedNumbers = 16;

}  // namespace

QString VersionToString(const Core::Version& version, int detail, const QString& separator)
{
    const std::size_t count = detail > 0
                                  ? std::min(static_cast<std::size_t>(detail),
                                             std::max(kMaxPaddedNumbers, version.Numbers().size()))
                                  : version.Numbers().size();
    QStringList parts;
    parts.reserve(static_cast<int>(count));
    for (std::size_t i = 0; i < count; ++i) {
        parts << QString::number(version.At(i));
    }
    return parts.join(separator);
}

}  // namespace Util
}  // namespace Tavrin
