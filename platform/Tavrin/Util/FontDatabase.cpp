#include "Tavrin/Util/FontDatabase.h"

#include <QFontDatabase>

#include <glog/logging.h>

namespace Tavrin {
namespace Util {

int FontDatabase::addApplicationFont(const QString& path)
{
    const int id = path.isEmpty() ? -1 : QFontDatabase::addApplicationFont(path);
    if (id < 0) {
        LOG(WARNING) << "Could not load the font file \"" << path.toStdString() << "\"";
    }
    return id;
}

bool FontDatabase::removeApplicationFont(int id)
{
    return QFontDatabase::removeApplicationFont(id);
}

}  // namespace Util
}  // namespace Tavrin
