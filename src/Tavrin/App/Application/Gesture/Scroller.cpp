#include "Tavrin/App/Application/Gesture/Scroller.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

namespace Tavrin {
namespace App {

Gesture::Scroller::Scroller(QAbstractScrollArea* area)
    : Emitter(area), area(area), itemView(qobject_cast<QAbstractItemView*>(area))
{
    connect(this, SIGNAL(pan(Tavrin::App::Gesture::Pan const&)), this,
            SLOT(scrollByPanning(Tavrin::App::Gesture::Pan const&)), Qt::AutoConnection);
    setHorizontalPanEnabled(true);
    setVerticalPanEnabled(true);
    setPanGutterEnabled(true);
    setPanInertiaEnabled(true);
}

void Gesture::Scroller::scrollByPanning(const Pan& gesture)
{
    if (gesture.begin && itemView) {
        EnterPixelScrolling();
    }
    if (gesture.end && itemView) {
        LeavePixelScrolling();
    }
    if (!gesture.begin && !gesture.end) {
        QScrollBar* horizontal = area->horizontalScrollBar();
        QScrollBar* vertical = area->verticalScrollBar();
        horizontal->setValue(horizontal->value() + lastPos.x() - gesture.pos.x());
        vertical->setValue(vertical->value() + lastPos.y() - gesture.pos.y());
    }
    lastPos = gesture.pos;
}

void Gesture::Scroller::EnterPixelScrolling()
{
    savedHorizontalMode = itemView->horizontalScrollMode();
    savedVerticalMode = itemView->verticalScrollMode();
    modesSaved = true;
    itemView->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    itemView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void Gesture::Scroller::LeavePixelScrolling()
{
    if (!modesSaved) {
        return;
    }
    QScrollBar* horizontal = itemView->horizontalScrollBar();
    QScrollBar* vertical = itemView->verticalScrollBar();
    const bool horizontalAtEnd = horizontal->value() == horizontal->maximum();
    const bool verticalAtEnd = vertical->value() == vertical->maximum();
    itemView->setHorizontalScrollMode(savedHorizontalMode);
    itemView->setVerticalScrollMode(savedVerticalMode);
    modesSaved = false;
    if (horizontalAtEnd && savedHorizontalMode == QAbstractItemView::ScrollPerItem) {
        horizontal->setValue(horizontal->maximum());
    }
    if (verticalAtEnd && savedVerticalMode == QAbstractItemView::ScrollPerItem) {
        vertical->setValue(vertical->maximum());
    }
}

}  // namespace App
}  // namespace Tavrin
