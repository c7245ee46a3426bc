#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QString>

namespace Tavrin {
namespace Util {

class TAVRIN_APP_EXPORT FontDatabase
{
public:
    // Makes the font file available to the application. Returns the font id of
    // QFontDatabase::addApplicationFont, or -1 (logged as a warning) when the file is
    // missing or not a font.
    static int addApplicationFont(const QString& path);
    // Forgets a font that addApplicationFont made available, freeing its data.
    static bool removeApplicationFont(int id);
};

}  // namespace Util
}  // namespace Tavrin
