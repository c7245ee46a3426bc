#include "TouchPage.h"

#include <Tavrin/App/Application/Gesture/Emitter.h>

#include <QCoreApplication>
#include <QDockWidget>
#include <QEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <QTouchDevice>
#include <QTouchEvent>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>
#include <functional>

namespace Kestrel {

using Tavrin::App::Gesture;

namespace {

const int kListEntries = 1000;
const int kTextLines = 400;

}  // namespace

TouchCanvas::TouchCanvas(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(160, 160);
    auto* emitter = new Gesture::Emitter(this);
    emitter->setZoomEnabled(true);
    emitter->setRotateEnabled(true);
    emitter->setTapEnabled(true);
    emitter->setPressAndTapEnabled(true);
    connect(emitter, &Gesture::Emitter::zoom, this, [this](const Gesture::Zoom& zoom) {
        if (zoom.startDistance > 0) {
            m_scale = qBound(0.2, m_zoomBase * zoom.distance / zoom.startDistance, 5.0);
        }
        if (zoom.end) {
            m_zoomBase = m_scale;
        }
        emit Feedback(tr("Zoom %1%").arg(qRound(m_scale * 100)));
        update();
    });
    connect(emitter, &Gesture::Emitter::rotate, this, [this](const Gesture::Rotate& rotate) {
        m_angle = m_angleBase + rotate.angle - rotate.startAngle;
        if (rotate.end) {
            m_angleBase = m_angle;
        }
        emit Feedback(tr("Rotation %1°").arg(qRound(m_angle * 180 / M_PI)));
        update();
    });
    connect(emitter, &Gesture::Emitter::tap, this, [this](const Gesture::Tap& tap) {
        if (tap.begin) {
            emit Feedback(tr("Two-finger taps: %1").arg(++m_taps));
        }
    });
    connect(emitter, &Gesture::Emitter::pressAndTap, this, [this](const Gesture::PressAndTap& g) {
        m_mark = FromWindow(g.tapPos);
        emit Feedback(tr("Press and tap at %1, %2").arg(m_mark.x()).arg(m_mark.y()));
        update();
    });
}

// Gesture positions are relative to the top-level window.
QPoint TouchCanvas::FromWindow(const QPoint& windowPos) const
{
    return mapFrom(window(), windowPos);
}

void TouchCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The theme's sheet gives the canvas its colour: Kestrel--TouchCanvas { background-color }.
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    painter.translate(rect().center());
    painter.rotate(m_angle * 180 / M_PI);
    painter.scale(m_scale, m_scale);
    painter.setBrush(palette().highlight());
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(-50, -50, 100, 100), 12, 12);
    painter.resetTransform();
    if (m_mark.x() >= 0) {
        painter.setBrush(palette().text());
        painter.drawEllipse(m_mark, 6, 6);
    }
}

TouchPage::TouchPage(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    m_hint = new QLabel(this);
    m_hint->setWordWrap(true);
    m_feedback = new QLabel(this);
    m_canvas = new TouchCanvas(this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("touchList"));
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    auto* canvasColumn = new QVBoxLayout;
    canvasColumn->addWidget(m_canvas, 1);
    canvasColumn->addWidget(m_feedback);
    auto* areas = new QHBoxLayout;
    areas->addLayout(canvasColumn, 1);
    areas->addWidget(m_list, 1);
    areas->addWidget(m_text, 1);
    layout->addWidget(m_hint);
    layout->addLayout(areas, 1);
    connect(m_canvas, &TouchCanvas::Feedback, m_feedback, &QLabel::setText);
    for (int i = 0; i < kListEntries; ++i) {
        m_list->addItem(QString());
    }
    RetranslateUi();
}

void TouchPage::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        RetranslateUi();
    }
    QWidget::changeEvent(event);
}

void TouchPage::RetranslateUi()
{
    m_hint->setText(
        tr("Pinch to zoom, turn two fingers to rotate, tap with two fingers, or "
           "hold one finger and tap with another. Drag the list and the text with "
           "one finger."));
    for (int i = 0; i < m_list->count(); ++i) {
        m_list->item(i)->setText(tr("Entry %1").arg(i + 1));
    }
    QStringList lines;
    for (int i = 0; i < kTextLines; ++i) {
        lines << tr("Line %1 of the sample text.").arg(i + 1);
    }
    m_text->setPlainText(lines.join(QLatin1Char('\n')));
}

void AddTouchPage(QMainWindow& window)
{
    auto* dock = new QDockWidget(&window);
    dock->setObjectName(QStringLiteral("touchDock"));
    dock->setWidget(new TouchPage(dock));
    const auto retitle = [dock] { dock->setWindowTitle(TouchPage::tr("Touch")); };
    retitle();
    // The dock has no translation hook of its own; the page tells it.
    struct LanguageWatcher : QObject
    {
        std::function<void()> retitle;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::LanguageChange) {
                retitle();
            }
            return false;
        }
    };
    auto* watcher = new LanguageWatcher;
    watcher->setParent(dock);
    watcher->retitle = retitle;
    dock->installEventFilter(watcher);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock);
}

namespace {

void SendTouch(QWindow* target, QEvent::Type type, Qt::TouchPointState state, const QPoint& global,
               const QPoint& startGlobal)
{
    static QTouchDevice* device = [] {
        auto* screen = new QTouchDevice;
        screen->setType(QTouchDevice::TouchScreen);
        return screen;
    }();
    QTouchEvent::TouchPoint point(1);
    point.setState(state);
    point.setScreenPos(global);
    point.setStartScreenPos(startGlobal);
    point.setPos(target->mapFromGlobal(global));
    QTouchEvent event(type, device, Qt::NoModifier, state, {point});
    event.setWindow(target);
    QCoreApplication::sendEvent(target, &event);
}

void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

QString SyntheticTouchPanReport(QWidget& window)
{
    auto* list = window.findChild<QListWidget*>(QStringLiteral("touchList"));
    QWindow* target = window.windowHandle();
    if (!list || !list->isVisible() || !target) {
        return QStringLiteral("touch pan: no visible list");
    }
    QScrollBar* bar = list->verticalScrollBar();
    const int before = bar->value();
    const QPoint centre = list->viewport()->mapToGlobal(list->viewport()->rect().center());
    const int travel = qMin(160, list->viewport()->height() - 20);
    const QPoint start = centre + QPoint(0, travel / 2);
    SendTouch(target, QEvent::TouchBegin, Qt::TouchPointPressed, start, start);
    for (int step = 1; step <= 10; ++step) {
        SendTouch(target, QEvent::TouchUpdate, Qt::TouchPointMoved,
                  start - QPoint(0, travel * step / 10), start);
    }
    Wait(150);  // the finger rests before it lifts: no fling
    SendTouch(target, QEvent::TouchEnd, Qt::TouchPointReleased, start - QPoint(0, travel), start);
    return QStringLiteral("touch pan over the list: finger %1 px up, scroll position %2 -> %3")
        .arg(travel)
        .arg(before)
        .arg(bar->value());
}

}  // namespace Kestrel
