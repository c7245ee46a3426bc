// The window-menu action handler on a real main window's menu bar: which actions it wires,
// the shortcuts typed on the window, and the host's predicate.
#include <Tavrin/App/Application/MacMenuActionHandler.h>

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

using Tavrin::App::MacMenuActionHandler;

namespace {

// A shown, active main window; its menus, holding the named actions, are added by name.
struct Host
{
    Host()
    {
        window.setMenuBar(new QMenuBar);  // shown with the window, so its shortcuts work
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void AddMenu(const char* name, const QStringList& actions)
    {
        QMenu* menu = window.menuBar()->addMenu(name);
        menu->setObjectName(name);
        for (const QString& action : actions) {
            menu->addAction(action)->setObjectName(action);
        }
    }

    QAction* Action(const char* name) const { return window.menuBar()->findChild<QAction*>(name); }

    QMainWindow window;
};

const QStringList kApplicationActions{"action_Hide", "action_Hide_Others", "action_Preferences",
                                      "action_Quit"};

}  // namespace

// What the handler wires on a full menu bar, on partial ones, in other menus and without one.
TEST(MacMenuActionHandler, AssignsTheShortcutsOfTheActionsItFindsAndSkipsTheRest)
{
    const QKeySequence none, hide(0x4000048), hideOthers(0xC000048);
    // The platform's own keys, if any (the offscreen platform follows Windows, which has none).
    const QKeySequence quit = QKeySequence::keyBindings(QKeySequence::Quit).value(0);
    const QKeySequence preferences = QKeySequence::keyBindings(QKeySequence::Preferences).value(0);
    const struct
    {
        const char* menu;
        QStringList actions;
        QList<QKeySequence> shortcuts;  // of the actions, in order
    } cases[] = {
        {"menuMacOSMenu", kApplicationActions, {hide, hideOthers, preferences, quit}},
        // The last action gets Quit, even Preferences itself.
        {"menuMacOSMenu", {"action_Hide", "action_Preferences"}, {hide, quit}},
        {"menuMacOSMenu", {"action_hide", "action_Hide_Others", "spare"}, {none, hideOthers, quit}},
        // In a menu named otherwise, and with no window menu: nothing is wired, nothing breaks.
        {"File", {"action_Hide", "action_Preferences"}, {none, none}},
    };
    for (const auto& c : cases) {
        Host host;
        host.AddMenu(c.menu, c.actions);
        new MacMenuActionHandler(host.window.menuBar(), {});
        QList<QKeySequence> shortcuts;
        for (const QString& name : c.actions) {
            shortcuts << host.Action(name.toLatin1())->shortcut();
        }
        EXPECT_EQ(shortcuts, c.shortcuts) << c.actions.join(' ').toStdString();
    }
    MacMenuActionHandler orphan(nullptr, {});  // no menu bar at all
}

// Typed shortcuts and window-menu actions act on the windows the predicate allows (an empty
// predicate allows all); with no active window Zoom and Minimize have no target.
TEST(MacMenuActionHandler, ShortcutsAndWindowActionsActOnAllowedWindowsOnly)
{
    for (bool allowed : {true, false}) {  // the main window allowed by an empty predicate, or not
        SCOPED_TRACE(allowed ? "empty predicate" : "the main window forbidden");
        Host host;
        host.AddMenu("menuMacOSMenu", kApplicationActions);
        host.AddMenu("menuWindow", {"actionMinimize", "actionZoom", "actionBring_all_to_Front"});
        QMainWindow* const main = &host.window;
        QWidget tool;
        tool.show();
        const auto forbidMain = [&](QWidget* window) { return window != main; };
        new MacMenuActionHandler(host.window.menuBar(),
                                 allowed ? std::function<bool(QWidget*)>() : forbidMain);

        // Ctrl+H minimises the application's windows (Ctrl+Alt+H, hiding other applications,
        // is the window manager's business here).
        QTest::keyClick(main, Qt::Key_H, Qt::ControlModifier);
        EXPECT_EQ(main->isMinimized(), allowed);
        EXPECT_TRUE(tool.isMinimized());
        // Bring All to Front restores them.
        host.Action("actionBring_all_to_Front")->trigger();
        EXPECT_FALSE(main->isMinimized() || tool.isMinimized());

        QApplication::setActiveWindow(nullptr);  // no target: nothing happens
        host.Action("actionZoom")->trigger();
        host.Action("actionMinimize")->trigger();
        EXPECT_FALSE(main->isMaximized() || main->isMinimized());
        QApplication::setActiveWindow(main);  // the active window only
        host.Action("actionZoom")->trigger();
        EXPECT_EQ(main->isMaximized(), allowed);
        host.Action("actionMinimize")->trigger();
        EXPECT_EQ(main->isMinimized(), allowed);
        EXPECT_FALSE(tool.isMinimized());
    }
}
