#include "Tavrin/Util/StyledPalette.h"

#include <QApplication>
#include <QPalette>

namespace Tavrin {
namespace Util {

void StyledPalette::Apply()
{
    StyledPalette palette;
    palette.ensurePolished();  // the style sheet's qproperty- rules are set here
}

QColor StyledPalette::GetLinksColor() const
{
    return QApplication::palette().color(QPalette::Link);
}

void StyledPalette::SetLinksColor(const QColor& color)
{
    QPalette palette = QApplication::palette();
    if (!color.isValid() || palette.color(QPalette::Link) == color) {
        return;  // every palette change restyles every widget
    }
    palette.setColor(QPalette::Link, color);
    palette.setColor(QPalette::LinkVisited, color);
    QApplication::setPalette(palette);
}

}  // namespace Util
}  // namespace Tavrin
