#pragma once

#include <Tavrin/Win/WinTypes.h>

#include <QElapsedTimer>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <QWindow>

class QTouchEvent;

namespace Tavrin {
namespace App {

// Turns touch-screen input on top-level windows into the window system's gesture messages,
// delivered through the layer like the system's own: a notification when the first finger
// lands, then steps of one-finger pan (with inertia after a fling), two-finger zoom and
// rotate, two-finger tap and press-and-tap. What the window accepts (its gesture
// configuration, set by the router from the consumer under the finger) decides what is
// recognised; a touch over a window that accepts nothing stays an ordinary touch and mouse
// event, and so does a tap that no gesture claims (it is replayed to the window as a click).
//
// Installed as an event filter of the application; it sees the touch events Qt sends to
// windows before any widget does.
class TouchGestureSource : public QObject
{
    Q_OBJECT

public:
    // Recognition thresholds, in pixels and milliseconds.
    static constexpr double kPanSlop = 8;
    static constexpr double kTapSlop = 10;
    static constexpr double kZoomSlop = 8;
    static constexpr double kRotateSlop = 0.1;  // radians
    static constexpr double kGutterWidth = 40;
    static constexpr qint64 kTapMaxMs = 500;
    static constexpr qint64 kTogetherMs = 150;  // two fingers landing "at once"
    static constexpr qint64 kVelocityWindowMs = 100;
    static constexpr double kFlingSpeed = 0.25;  // px/ms
    static constexpr int kInertiaTickMs = 16;
    static constexpr double kInertiaFriction = 0.88;  // speed kept per tick
    static constexpr double kInertiaStopSpeed = 0.5;  // px per tick
    static constexpr double kMaxSpeed = 4;            // px/ms, against bogus timestamps

    explicit TouchGestureSource(QObject* parent = nullptr);
    ~TouchGestureSource() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

    // Whether inertia steps are still being sent.
    bool IsCoasting() const { return m_inertia.isActive(); }

private:
    enum class Mode
    {
        Idle,
        PassThrough,  // the window accepts nothing: Qt delivers the touches as usual
        Undecided,    // one finger down, not yet moved far enough
        Panning,
        TwoFingers,
        Spent,  // the gesture is over; the remaining fingers are ignored
    };
    struct Finger
    {
        int id = -1;
        QPointF start;
        QPointF now;
        qint64 downAt = 0;
    };
    struct Sample
    {
        qint64 at;
        QPointF pos;
    };

    bool HandleTouch(QWindow* window, QTouchEvent* event);
    void Begin(QWindow* window, QTouchEvent* event);
    void Update(QTouchEvent* event);
    void FingerLifted(const Finger& lifted);
    void Finish(bool allowInertia);

    void StartPan();
    void PanTo(const QPointF& finger);
    void EndPan(bool allowInertia);
    void CoastStep();
    QPoint PanPoint(const QPointF& finger) const;
    QPointF Velocity() const;

    void TwoFingerMoved();
    void EndTwoFingerGestures();
    void RecogniseTap(const Finger& lifted);

    bool Accepts(Win::DWORD id, Win::DWORD option = 1) const;
    void Send(Win::DWORD id, Win::DWORD flags, const QPoint& globalPos, Win::ULONGLONG args);
    void ReplayTap(QTouchEvent* event);

    Finger* FindFinger(int id);
    double FingerDistance() const;
    double FingerAngle() const;
    QPoint Midpoint() const;

    QElapsedTimer m_clock;
    qint64 m_now = 0;  // ms, of the event being handled
    Mode m_mode = Mode::Idle;
    QPointer<QWindow> m_window;
    Win::HWND m_hwnd = nullptr;
    Win::DWORD m_accepted[8] = {};
    QVector<Finger> m_fingers;  // pressed, in landing order; [0] is the primary finger
    QVector<Sample> m_samples;

    // Pan.
    QPoint m_panLast;
    QPointF m_panOrigin;
    enum class Rail
    {
        Free,
        Horizontal,
        Vertical
    } m_rail = Rail::Free;
    QTimer m_inertia;
    QPointF m_coastPos;
    QPointF m_coastVelocity;  // px per tick
    int m_coastTicks = 0;

    // Two fingers.
    double m_startDistance = 0;
    double m_lastAngle = 0;
    double m_turned = 0;
    bool m_zooming = false;
    bool m_rotating = false;
    bool m_twoFingersMoved = false;
};

}  // namespace App
}  // namespace Tavrin
