#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QPoint>
#include <QString>

class QWidget;

namespace Tavrin {
namespace Util {

// The top-left position that centres the widget's frame on the available area (without
// panels and docks) of the screen the widget is on, or of the primary screen when it is on
// none. Pass the result to QWidget::move().
TAVRIN_APP_EXPORT QPoint GetWidgetPosOnCurrentScreenCenter(const QWidget& widget);

// Sets the widget's dynamic property `propertyName` to `style` and polishes the widget and its
// descendants again, so that style sheet rules such as QLabel[propertyName="style"] or
// #panel[propertyName="style"] QLabel take effect at once. A null widget or property name does
// nothing, and so does an empty property name.
TAVRIN_APP_EXPORT void ApplyWidgetStyle(QWidget* widget, const QString& style,
                                        const char* propertyName);

}  // namespace Util
}  // namespace Tavrin
