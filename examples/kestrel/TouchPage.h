#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QListWidget;
class QMainWindow;
class QPlainTextEdit;

namespace Tavrin {
namespace App {
struct Gesture;
}
}  // namespace Tavrin

namespace Kestrel {

// A canvas that two fingers zoom and turn; taps leave a mark.
class TouchCanvas : public QWidget
{
    Q_OBJECT

public:
    explicit TouchCanvas(QWidget* parent = nullptr);

signals:
    void Feedback(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint FromWindow(const QPoint& windowPos) const;

    double m_scale = 1;
    double m_zoomBase = 1;
    double m_angle = 0;  // radians
    double m_angleBase = 0;
    int m_taps = 0;
    QPoint m_mark{-1, -1};
};

// The "Touch" page of the demo: the canvas, a long list and a long text. The list and the
// text scroll by one-finger panning with no code of their own: the library gives every
// scroll area that.
class TouchPage : public QWidget
{
    Q_OBJECT

public:
    explicit TouchPage(QWidget* parent = nullptr);

    QListWidget* List() const { return m_list; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void RetranslateUi();

    QLabel* m_hint = nullptr;
    QLabel* m_feedback = nullptr;
    TouchCanvas* m_canvas = nullptr;
    QListWidget* m_list = nullptr;
    QPlainTextEdit* m_text = nullptr;
};

// Adds the page to the main window as a dock titled "Touch", below the workspace.
void AddTouchPage(QMainWindow& window);

// Drags one finger up over the page's list as a touch screen would, through the
// application's touch events, and reports the list's scroll position before and after.
QString SyntheticTouchPanReport(QWidget& window);

}  // namespace Kestrel
