#pragma once

#include <Tavrin/App/Application/Gesture/Consumer.h>

#include <QObject>

namespace Tavrin {
namespace App {

// A consumer that re-emits every step of the kinds it is switched on for as a Qt signal.
// Make it a child of the widget it serves: the router finds it there. A fresh emitter wants
// nothing.
class TAVRIN_APP_EXPORT Gesture::Emitter : public QObject, public Gesture::Consumer
{
    Q_OBJECT

public:
    explicit Emitter(QObject* parent = nullptr);

    void setZoomEnabled(bool enabled);
    void setRotateEnabled(bool enabled);
    void setTapEnabled(bool enabled);
    void setPressAndTapEnabled(bool enabled);
    void setHorizontalPanEnabled(bool enabled);
    void setVerticalPanEnabled(bool enabled);
    void setPanGutterEnabled(bool enabled);
    void setPanInertiaEnabled(bool enabled);

signals:
    void pan(const Tavrin::App::Gesture::Pan& gesture);
    void zoom(const Tavrin::App::Gesture::Zoom& gesture);
    void rotate(const Tavrin::App::Gesture::Rotate& gesture);
    void tap(const Tavrin::App::Gesture::Tap& gesture);
    void pressAndTap(const Tavrin::App::Gesture::PressAndTap& gesture);

private:
    static int allOrNone(bool enabled);

    void OnGesture(const PressAndTap& gesture) override;
    void OnGesture(const Tap& gesture) override;
    void OnGesture(const Rotate& gesture) override;
    void OnGesture(const Zoom& gesture) override;
    void OnGesture(const Pan& gesture) override;
    int WantGesture(const PressAndTap& gesture) override;
    int WantGesture(const Tap& gesture) override;
    int WantGesture(const Rotate& gesture) override;
    int WantGesture(const Zoom& gesture) override;
    int WantGesture(const Pan& gesture) override;

    bool zoomEnabled = false;
    bool rotateEnabled = false;
    bool tapEnabled = false;
    bool pressAndTapEnabled = false;
    bool horizontalPanEnabled = false;
    bool verticalPanEnabled = false;
    bool panGutterEnabled = false;
    bool panInertiaEnabled = false;
};

}  // namespace App
}  // namespace Tavrin
