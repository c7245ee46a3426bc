#include "Tavrin/App/Application/Gesture/TouchGestureSource_p.h"

#include <Tavrin/Win/GestureInjection.h>
#include <Tavrin/Win/WinGesture.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTouchEvent>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace Tavrin {
namespace App {

using namespace Tavrin::Win;

namespace {

double Length(const QPointF& v)
{
    return std::hypot(v.x(), v.y());
}

QPoint Clamped16(const QPointF& p)
{
    const auto clamp = [](double v) { return qBound(-32768, qRound(v), 32767); };
    return QPoint(clamp(p.x()), clamp(p.y()));
}

ULONGLONG Pack16(const QPoint& v, int shift)
{
    return (ULONGLONG(quint16(qint16(qBound(-32768, v.x(), 32767)))) << shift) |
           (ULONGLONG(quint16(qint16(qBound(-32768, v.y(), 32767)))) << (shift + 16));
}

// Angles go from -pi to pi; a turn across that seam is the short way round.
double ShortestTurn(double from, double to)
{
    double turn = to - from;
    while (turn > M_PI) {
        turn -= 2 * M_PI;
    }
    while (turn < -M_PI) {
        turn += 2 * M_PI;
    }
    return turn;
}

}  // namespace

TouchGestureSource::TouchGestureSource(QObject* parent) : QObject(parent)
{
    m_clock.start();
    m_inertia.setInterval(kInertiaTickMs);
    connect(&m_inertia, &QTimer::timeout, this, &TouchGestureSource::CoastStep);
}

TouchGestureSource::~TouchGestureSource() = default;

bool TouchGestureSource::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
            break;
        default:
            return false;
    }
    // Windows only: widgets get the same event again from their window afterwards.
    auto* window = qobject_cast<QWindow*>(watched);
    if (!window || window->parent()) {
        return false;
    }
    auto* touch = static_cast<QTouchEvent*>(event);
    // The device's time when it gives one: speeds then do not depend on how busy we are.
    m_now = touch->timestamp() ? qint64(touch->timestamp()) : m_clock.elapsed();
    const bool consumed = HandleTouch(window, touch);
    if (consumed) {
        touch->accept();
    }
    return consumed;
}

bool TouchGestureSource::HandleTouch(QWindow* window, QTouchEvent* event)
{
    const QEvent::Type type = event->type();
    // A new sequence, or input for another window while one runs (a lost release): start
    // over.
    if (type == QEvent::TouchBegin || m_mode == Mode::Idle || window != m_window) {
        Finish(false);
        if (type == QEvent::TouchEnd || type == QEvent::TouchCancel) {
            return false;
        }
        Begin(window, event);
    }
    if (m_mode == Mode::PassThrough) {
        if (type == QEvent::TouchEnd || type == QEvent::TouchCancel) {
            m_mode = Mode::Idle;
        }
        return false;
    }
    if (!m_window) {  // the window went away in the middle of the sequence
        m_mode = Mode::Idle;
        return false;
    }
    if (type == QEvent::TouchCancel) {
        Finish(false);
        return true;
    }
    Update(event);
    if (type == QEvent::TouchEnd) {
        const bool tap = m_mode == Mode::Undecided;
        Finish(true);
        if (tap) {
            ReplayTap(event);
        }
    }
    return true;
}

void TouchGestureSource::Begin(QWindow* window, QTouchEvent* event)
{
    m_window = window;
    m_hwnd = HandleOfWindow(window);
    m_fingers.clear();
    m_samples.clear();
    const QPointF first =
        event->touchPoints().isEmpty() ? QPointF() : event->touchPoints().constFirst().screenPos();
    SendGestureNotify(m_hwnd, Clamped16(first));
    bool anything = false;
    for (DWORD id = GID_ZOOM; id <= GID_PRESSANDTAP; ++id) {
        m_accepted[id] = AcceptedGestureOptions(m_hwnd, id);
        anything = anything || (m_accepted[id] & 1);
    }
    m_mode = anything ? Mode::Undecided : Mode::PassThrough;
}

void TouchGestureSource::Update(QTouchEvent* event)
{
    const qint64 now = m_now;
    for (const QTouchEvent::TouchPoint& point : event->touchPoints()) {
        Finger* finger = FindFinger(point.id());
        if (point.state() == Qt::TouchPointReleased) {
            if (finger) {
                finger->now = point.screenPos();
                const Finger lifted = *finger;
                m_fingers.erase(m_fingers.begin() + (finger - m_fingers.data()));
                FingerLifted(lifted);
            }
            continue;
        }
        // A stationary point has not moved (test drivers do not even give its position).
        if (point.state() == Qt::TouchPointStationary) {
            continue;
        }
        if (!finger) {
            m_fingers.append({point.id(), point.screenPos(), point.screenPos(), now});
            if (m_fingers.size() == 2 && m_mode == Mode::Panning) {
                EndPan(false);
                m_mode = Mode::Spent;
            } else if (m_fingers.size() == 2 && m_mode == Mode::Undecided) {
                m_mode = Mode::TwoFingers;
                m_startDistance = FingerDistance();
                m_lastAngle = FingerAngle();
                m_turned = 0;
                m_zooming = m_rotating = m_twoFingersMoved = false;
            } else if (m_fingers.size() > 2) {
                EndTwoFingerGestures();
                m_mode = Mode::Spent;
            }
            continue;
        }
        finger->now = point.screenPos();
    }
    if (m_fingers.size() == 1) {
        m_samples.append({now, m_fingers[0].now});
        while (m_samples.size() > 2 && now - m_samples[1].at > kVelocityWindowMs) {
            m_samples.removeFirst();
        }
    }
    if (m_mode == Mode::Undecided && m_fingers.size() == 1 &&
        Length(m_fingers[0].now - m_fingers[0].start) > kPanSlop && Accepts(GID_PAN)) {
        StartPan();
    }
    if (m_mode == Mode::Panning && m_fingers.size() == 1) {
        PanTo(m_fingers[0].now);
    }
    if (m_mode == Mode::TwoFingers && m_fingers.size() == 2) {
        TwoFingerMoved();
    }
}

void TouchGestureSource::FingerLifted(const Finger& lifted)
{
    if (m_mode == Mode::TwoFingers) {
        if (m_zooming || m_rotating) {
            EndTwoFingerGestures();
        } else {
            RecogniseTap(lifted);
        }
        m_mode = Mode::Spent;
    }
}

void TouchGestureSource::Finish(bool allowInertia)
{
    if (m_mode == Mode::Panning) {
        EndPan(allowInertia);
    } else if (m_mode == Mode::TwoFingers) {
        EndTwoFingerGestures();
    }
    if (!allowInertia && m_inertia.isActive()) {
        m_inertia.stop();
        if (m_window) {
            Send(GID_PAN, GF_INERTIA | GF_END, m_panLast, 0);
            Send(GID_END, 0, m_panLast, 0);
        }
    }
    m_mode = Mode::Idle;
    m_fingers.clear();
}

// Pan: the begin step lies where the finger landed, so the content moves by the whole
// distance the finger travels.
void TouchGestureSource::StartPan()
{
    const Finger& finger = m_fingers[0];
    const QPointF move = finger.now - finger.start;
    const bool both = Accepts(GID_PAN, GC_PAN_WITH_SINGLE_FINGER_HORIZONTALLY) &&
                      Accepts(GID_PAN, GC_PAN_WITH_SINGLE_FINGER_VERTICALLY);
    if (!Accepts(GID_PAN, GC_PAN_WITH_SINGLE_FINGER_HORIZONTALLY) &&
        !Accepts(GID_PAN, GC_PAN_WITH_SINGLE_FINGER_VERTICALLY)) {
        return;
    }
    m_rail = Rail::Free;
    if (both && Accepts(GID_PAN, GC_PAN_WITH_GUTTER)) {
        if (std::abs(move.y()) > 2 * std::abs(move.x())) {
            m_rail = Rail::Vertical;
        } else if (std::abs(move.x()) > 2 * std::abs(move.y())) {
            m_rail = Rail::Horizontal;
        }
    }
    m_panOrigin = finger.start;
    m_mode = Mode::Panning;
    m_panLast = PanPoint(finger.start);
    Send(GID_BEGIN, 0, m_panLast, 0);
    Send(GID_PAN, GF_BEGIN, m_panLast, 0);
}

void TouchGestureSource::PanTo(const QPointF& finger)
{
    const QPointF off = finger - m_panOrigin;
    if ((m_rail == Rail::Vertical && std::abs(off.x()) > kGutterWidth) ||
        (m_rail == Rail::Horizontal && std::abs(off.y()) > kGutterWidth)) {
        m_rail = Rail::Free;  // pulled out of the gutter
    }
    const QPoint point = PanPoint(finger);
    if (point != m_panLast) {
        m_panLast = point;
        Send(GID_PAN, 0, point, 0);
    }
}

QPoint TouchGestureSource::PanPoint(const QPointF& finger) const
{
    QPointF point = finger;
    if (!Accepts(GID_PAN, GC_PAN_WITH_SINGLE_FINGER_HORIZONTALLY) || m_rail == Rail::Vertical) {
        point.setX(m_panOrigin.x());
    }
    if (!Accepts(GID_PAN, GC_PAN_WITH_SINGLE_FINGER_VERTICALLY) || m_rail == Rail::Horizontal) {
        point.setY(m_panOrigin.y());
    }
    return Clamped16(point);
}

// The finger's speed over its last moves; none when it rested before it lifted.
QPointF TouchGestureSource::Velocity() const
{
    if (m_samples.size() < 2 || m_now - m_samples.constLast().at > kVelocityWindowMs) {
        return QPointF();
    }
    const Sample& last = m_samples.constLast();
    const Sample* first = &m_samples[m_samples.size() - 2];
    for (const Sample& sample : m_samples) {
        if (last.at - sample.at <= kVelocityWindowMs) {
            first = &sample;
            break;
        }
    }
    if (first == &last) {
        first = &m_samples[m_samples.size() - 2];
    }
    const double ms = std::max<qint64>(1, last.at - first->at);
    QPointF velocity = (last.pos - first->pos) / ms;
    const double speed = Length(velocity);
    if (speed > kMaxSpeed) {
        velocity *= kMaxSpeed / speed;
    }
    return velocity;
}

void TouchGestureSource::EndPan(bool allowInertia)
{
    QPointF velocity =
        allowInertia && Accepts(GID_PAN, GC_PAN_WITH_INERTIA) ? Velocity() : QPointF();
    const QPoint locked = PanPoint(m_panOrigin + velocity) - PanPoint(m_panOrigin);
    velocity = QPointF(locked.x() ? velocity.x() : 0, locked.y() ? velocity.y() : 0);
    if (Length(velocity) < kFlingSpeed) {
        Send(GID_PAN, GF_END, m_panLast, 0);
        Send(GID_END, 0, m_panLast, 0);
        return;
    }
    m_coastVelocity = velocity * kInertiaTickMs;
    m_coastPos = m_panLast;
    m_coastTicks = 0;
    Send(GID_PAN, GF_INERTIA, m_panLast, Pack16(m_coastVelocity.toPoint(), 32));
    m_inertia.start();
}

// After a fling the content coasts on, slower with every tick, and stops.
void TouchGestureSource::CoastStep()
{
    if (!m_window) {
        m_inertia.stop();
        return;
    }
    m_coastPos += m_coastVelocity;
    m_coastVelocity *= kInertiaFriction;
    const bool last = Length(m_coastVelocity) < kInertiaStopSpeed || ++m_coastTicks > 400;
    const QPoint point = Clamped16(m_coastPos);
    m_panLast = point;
    Send(GID_PAN, GF_INERTIA | (last ? GF_END : 0), point, Pack16(m_coastVelocity.toPoint(), 32));
    if (last) {
        m_inertia.stop();
        Send(GID_END, 0, point, 0);
    }
}

void TouchGestureSource::TwoFingerMoved()
{
    const double distance = FingerDistance();
    const double angle = FingerAngle();
    m_turned = qBound(-2 * M_PI, m_turned + ShortestTurn(m_lastAngle, angle), 2 * M_PI);
    m_lastAngle = angle;
    for (const Finger& finger : m_fingers) {
        m_twoFingersMoved = m_twoFingersMoved || Length(finger.now - finger.start) > kTapSlop;
    }
    const QPoint middle = Midpoint();
    if (!m_zooming && Accepts(GID_ZOOM) && std::abs(distance - m_startDistance) > kZoomSlop) {
        m_zooming = true;
        Send(GID_ZOOM, GF_BEGIN, middle, qRound64(m_startDistance));
    }
    if (m_zooming) {
        Send(GID_ZOOM, 0, middle, qRound64(distance));
    }
    if (!m_rotating && Accepts(GID_ROTATE) && std::abs(m_turned) > kRotateSlop) {
        m_rotating = true;
        Send(GID_ROTATE, GF_BEGIN, middle, GID_ROTATE_ANGLE_TO_ARGUMENT(0.0));
    }
    if (m_rotating) {
        Send(GID_ROTATE, 0, middle, GID_ROTATE_ANGLE_TO_ARGUMENT(m_turned));
    }
}

void TouchGestureSource::EndTwoFingerGestures()
{
    const QPoint middle = m_fingers.size() == 2 ? Midpoint() : m_panLast;
    if (m_zooming) {
        Send(GID_ZOOM, GF_END, middle,
             qRound64(m_fingers.size() == 2 ? FingerDistance() : m_startDistance));
    }
    if (m_rotating) {
        Send(GID_ROTATE, GF_END, middle, GID_ROTATE_ANGLE_TO_ARGUMENT(m_turned));
    }
    m_zooming = m_rotating = false;
}

// Two fingers that land together and lift without moving are a two-finger tap; a second
// finger that taps while the first one is held is a press-and-tap.
void TouchGestureSource::RecogniseTap(const Finger& lifted)
{
    if (m_twoFingersMoved || m_fingers.size() != 1) {
        return;
    }
    const Finger& held = m_fingers[0];
    const qint64 now = m_now;
    const qint64 apart = std::abs(lifted.downAt - held.downAt);
    if (apart <= kTogetherMs && now - std::min(lifted.downAt, held.downAt) <= kTapMaxMs) {
        if (Accepts(GID_TWOFINGERTAP)) {
            const QPoint middle = Clamped16((held.now + lifted.now) / 2);
            const auto distance = ULONGLONG(qRound(Length(held.now - lifted.now)));
            Send(GID_TWOFINGERTAP, GF_BEGIN, middle, distance);
            Send(GID_TWOFINGERTAP, GF_END, middle, distance);
        }
    } else if (lifted.downAt > held.downAt && now - lifted.downAt <= kTapMaxMs &&
               Accepts(GID_PRESSANDTAP)) {
        const QPoint at = Clamped16(held.now);
        const ULONGLONG offset = Pack16(Clamped16(lifted.now) - at, 0);
        Send(GID_PRESSANDTAP, GF_BEGIN, at, offset);
        Send(GID_PRESSANDTAP, GF_END, at, offset);
    }
}

bool TouchGestureSource::Accepts(DWORD id, DWORD option) const
{
    return (m_accepted[id] & GC_ALLGESTURES) && (m_accepted[id] & option) == option;
}

void TouchGestureSource::Send(DWORD id, DWORD flags, const QPoint& globalPos, ULONGLONG args)
{
    if (m_window) {
        SendGesture(m_hwnd, {id, flags, globalPos, args});
    }
}

// A touch that became no gesture is given back to the window as the click it was, as the
// system does, so that a tap still selects a row or presses a button.
void TouchGestureSource::ReplayTap(QTouchEvent* event)
{
    if (event->touchPoints().isEmpty() || !m_window) {
        return;
    }
    const QTouchEvent::TouchPoint& original = event->touchPoints().constFirst();
    const QPointF screen = original.startScreenPos();
    const QPointF local = m_window->mapFromGlobal(screen.toPoint());
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons buttons =
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent click(type, local, local, screen, Qt::LeftButton, buttons, Qt::NoModifier,
                          Qt::MouseEventSynthesizedBySystem);
        if (!m_window) {
            return;
        }
        QCoreApplication::sendEvent(m_window.data(), &click);
    }
}

TouchGestureSource::Finger* TouchGestureSource::FindFinger(int id)
{
    for (Finger& finger : m_fingers) {
        if (finger.id == id) {
            return &finger;
        }
    }
    return nullptr;
}

double TouchGestureSource::FingerDistance() const
{
    return Length(m_fingers[1].now - m_fingers[0].now);
}

double TouchGestureSource::FingerAngle() const
{
    const QPointF v = m_fingers[1].now - m_fingers[0].now;
    return std::atan2(v.y(), v.x());
}

QPoint TouchGestureSource::Midpoint() const
{
    return Clamped16((m_fingers[0].now + m_fingers[1].now) / 2);
}

}  // namespace App
}  // namespace Tavrin
