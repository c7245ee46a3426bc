#pragma once

#include <Tavrin/App/Application/Gesture/Emitter.h>

#include <QAbstractItemView>
#include <QPoint>

class QAbstractScrollArea;

namespace Tavrin {
namespace App {

// Scrolls a scroll area by one-finger panning: the content follows the finger. It is a
// child of the area, which deletes it. During a pan an item view scrolls by pixels; from
// the end step on it is back in its own scroll modes, and a view panned to its end stays
// there.
class TAVRIN_APP_EXPORT Gesture::Scroller : public Gesture::Emitter
{
    Q_OBJECT

public:
    explicit Scroller(QAbstractScrollArea* area);

private slots:
    void scrollByPanning(const Tavrin::App::Gesture::Pan& gesture);

private:
    void EnterPixelScrolling();
    void LeavePixelScrolling();

    QAbstractScrollArea* area;
    QAbstractItemView* itemView;
    QPoint lastPos;
    QAbstractItemView::ScrollMode savedHorizontalMode = QAbstractItemView::ScrollPerItem;
    QAbstractItemView::ScrollMode savedVerticalMode = QAbstractItemView::ScrollPerItem;
    // An end step restores saved modes only after a begin step saved them.
    bool modesSaved = false;
};

}  // namespace App
}  // namespace Tavrin
