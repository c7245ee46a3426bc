#include "Tavrin/App/Application/MacMenuActionHandler.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include <utility>

namespace Tavrin {
namespace App {

namespace {

QAction* FindAction(const QMenu& menu, const char* name)
{
    const QString objectName = QLatin1String(name);
    for (QAction* action : menu.actions()) {
        if (action->objectName() == objectName) {
            return action;
        }
    }
    return nullptr;
}

// The application's windows that the user can see (a minimised window counts as visible).
QList<QWidget*> VisibleWindows()
{
    QList<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = widget->windowType();
        if (widget->isWindow() && widget->isVisible() && type != Qt::Popup && type != Qt::ToolTip &&
            type != Qt::Desktop) {
            windows << widget;
        }
    }
    return windows;
}

}  // namespace

MacMenuActionHandler::MacMenuActionHandler(QMenuBar* menuBar,
                                           std::function<bool(QWidget*)> canManipulate)
    : QObject(menuBar), m_canManipulate(std::move(canManipulate))
{
    if (menuBar) {
        WireApplicationMenu(menuBar);
        WireWindowMenu(menuBar);
    }
}

void MacMenuActionHandler::WireApplicationMenu(QMenuBar* menuBar)
{
    const auto* menu = menuBar->findChild<QMenu*>(QStringLiteral("menuMacOSMenu"));
    if (!menu) {
        return;
    }
    if (QAction* hide = FindAction(*menu, "action_Hide")) {
        connect(hide, &QAction::triggered, this, &MacMenuActionHandler::onHideItself);
        hide->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    }
    if (QAction* hideOthers = FindAction(*menu, "action_Hide_Others")) {
        connect(hideOthers, &QAction::triggered, this, &MacMenuActionHandler::onHideOthers);
        hideOthers->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_H));
    }
    if (QAction* preferences = FindAction(*menu, "action_Preferences")) {
        preferences->setShortcuts(QKeySequence::Preferences);
    }
    if (!menu->actions().isEmpty()) {
        menu->actions().last()->setShortcuts(QKeySequence::Quit);
    }
}

void MacMenuActionHandler::WireWindowMenu(QMenuBar* menuBar)
{
    const auto* menu = menuBar->findChild<QMenu*>(QStringLiteral("menuWindow"));
    if (!menu) {
        return;
    }
    const std::pair<const char*, void (MacMenuActionHandler::*)()> wiring[] = {
        {"actionMinimize", &MacMenuActionHandler::onMinimize},
        {"actionZoom", &MacMenuActionHandler::onZoom},
        {"actionBring_all_to_Front", &MacMenuActionHandler::onBringAllToFront},
    };
    for (const auto& [name, slot] : wiring) {
        if (QAction* action = FindAction(*menu, name)) {
            connect(action, &QAction::triggered, this, slot);
        }
    }
}

bool MacMenuActionHandler::canManipulateWithWidget(QWidget* widget)
{
    return !m_canManipulate || m_canManipulate(widget);
}

void MacMenuActionHandler::onHideItself()
{
    for (QWidget* window : VisibleWindows()) {
        if (canManipulateWithWidget(window)) {
            window->showMinimized();
        }
    }
}

void MacMenuActionHandler::onHideOthers()
{
    // Hiding other applications is the window manager's business on this platform.
}

void MacMenuActionHandler::onMinimize()
{
    QWidget* window = QApplication::activeWindow();
    if (window && canManipulateWithWidget(window)) {
        window->showMinimized();
    }
}

void MacMenuActionHandler::onZoom()
{
    QWidget* window = QApplication::activeWindow();
    if (!window || !canManipulateWithWidget(window)) {
        return;
    }
    if (window->isMaximized()) {
        window->showNormal();
    } else {
        window->showMaximized();
    }
}

void MacMenuActionHandler::onBringAllToFront()
{
    QWidget* active = QApplication::activeWindow();
    const auto bringToFront = [this](QWidget* window) {
        if (canManipulateWithWidget(window)) {
            // Restores a minimised window to what it was before, maximised or not.
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
            window->show();
            window->raise();
        }
    };
    for (QWidget* window : VisibleWindows()) {
        if (window != active) {
            bringToFront(window);
        }
    }
    if (active) {
        bringToFront(active);
    }
}

}  // namespace App
}  // namespace Tavrin
