#include "KestrelWindowMenu.h"

#include <Tavrin/App/Application/MacMenuActionHandler.h>

#include <QDialog>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace Kestrel {

namespace {

QAction* AddNamedAction(QMenu* menu, const char* objectName)
{
    QAction* action = menu->addAction(QString());
    action->setObjectName(QLatin1String(objectName));
    return action;
}

}  // namespace

KestrelWindowMenu::KestrelWindowMenu(QMainWindow& window, QMenu* helpMenu) : QObject(&window)
{
    // The object names are the ones the handler looks for.
    m_menu = new QMenu(&window);
    m_menu->setObjectName(QStringLiteral("menuWindow"));
    window.menuBar()->insertMenu(helpMenu ? helpMenu->menuAction() : nullptr, m_menu);
    m_minimize = AddNamedAction(m_menu, "actionMinimize");
    m_minimize->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    m_zoom = AddNamedAction(m_menu, "actionZoom");
    m_menu->addSeparator();
    m_bringAllToFront = AddNamedAction(m_menu, "actionBring_all_to_Front");
    // A child of the menu bar. Dialogs keep their place and size.
    new Tavrin::App::MacMenuActionHandler(window.menuBar(), [](QWidget* target) {
        return qobject_cast<QDialog*>(target) == nullptr;
    });
    m_menu->installEventFilter(this);
    Retranslate();
}

bool KestrelWindowMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_menu && event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    return QObject::eventFilter(watched, event);
}

void KestrelWindowMenu::Retranslate()
{
    m_menu->setTitle(tr("&Window"));
    m_minimize->setText(tr("&Minimize"));
    m_zoom->setText(tr("&Zoom"));
    m_bringAllToFront->setText(tr("&Bring All to Front"));
}

}  // namespace Kestrel
