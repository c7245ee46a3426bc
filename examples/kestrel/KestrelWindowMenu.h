#pragma once

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;

namespace Kestrel {

// The Window menu, placed before Help: Minimize, Zoom and Bring All to Front, carried out by
// the library's window-menu handler on every window but dialogs.
class KestrelWindowMenu : public QObject
{
    Q_OBJECT

public:
    explicit KestrelWindowMenu(QMainWindow& window, QMenu* helpMenu);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Retranslate();

    QMenu* m_menu;
    QAction* m_minimize;
    QAction* m_zoom;
    QAction* m_bringAllToFront;
};

}  // namespace Kestrel
