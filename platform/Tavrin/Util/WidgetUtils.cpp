#include "Tavrin/Util/WidgetUtils.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace Tavrin {
namespace Util {

namespace {

QScreen* ScreenOf(const QWidget& widget)
{
    const QWidget* window = widget.window();
    if (QScreen* screen = QGuiApplication::screenAt(window->frameGeometry().center())) {
        return screen;
    }
    if (QScreen* screen = widget.screen()) {
        return screen;
    }
    return QGuiApplication::primaryScreen();
}

void Repolish(QWidget* widget)
{
    QStyle* style = widget->style();
    style->unpolish(widget);
    style->polish(widget);
}

}  // namespace

QPoint GetWidgetPosOnCurrentScreenCenter(const QWidget& widget)
{
    QRect frame(QPoint(0, 0), widget.frameGeometry().size());
    const QScreen* screen = ScreenOf(widget);
    if (!screen) {
        return widget.frameGeometry().topLeft();
    }
    frame.moveCenter(screen->availableGeometry().center());
    return frame.topLeft();
}

void ApplyWidgetStyle(QWidget* widget, const QString& style, const char* propertyName)
{
    if (!widget || !propertyName || !*propertyName) {
        return;
    }
    widget->setProperty(propertyName, style);
    // Style sheet selectors are matched at polish time only; descendants are included because
    // rules commonly select on an ancestor's property.
    Repolish(widget);
    for (QWidget* child : widget->findChildren<QWidget*>()) {
        Repolish(child);
    }
    widget->update();
}

}  // namespace Util
}  // namespace Tavrin
