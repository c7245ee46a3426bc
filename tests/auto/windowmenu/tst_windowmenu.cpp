// The window-menu action handler on a real main window's menu bar: which actions it wires,
// the shortcuts typed on the window, and the host's predicate.
#include <Tavrin/App/Application/MacMenuActionHandler.h>

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using Tavrin::App::MacMenuActionHandler;

namespace {

// A shown, active main window with the two well-known menus (each optional) holding the
// named actions.
struct Host
{
    Host(const QStringList& applicationActions, const QStringList& windowActions)
    {
        AddMenu("menuMacOSMenu", applicationActions);
        AddMenu("menuWindow", windowActions);
        window.resize(400, 300);
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void AddMenu(const char* name, const QStringList& actions)
    {
        if (actions.isEmpty()) {
            return;
        }
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
const QStringList kWindowActions{"actionMinimize", "actionZoom", "actionBring_all_to_Front"};

}  // namespace

// What the handler wires on a full menu bar, on partial ones and on an empty one.
TEST(MacMenuActionHandler, AssignsTheShortcutsOfTheActionsItFindsAndSkipsTheRest)
{
    const QKeySequence none, hide(0x4000048), hideOthers(0xC000048);
    // The platform's own keys, if any (the offscreen platform follows Windows, which has none).
    const QKeySequence quit = QKeySequence::keyBindings(QKeySequence::Quit).value(0);
    const QKeySequence preferences = QKeySequence::keyBindings(QKeySequence::Preferences).value(0);
    const struct
    {
        QStringList actions;
        QList<QKeySequence> shortcuts;  // of the actions, in order
    } cases[] = {
        {kApplicationActions, {hide, hideOthers, preferences, quit}},
        // The last action gets Quit, even Preferences itself.
        {{"action_Hide", "action_Preferences"}, {hide, quit}},
        {{"action_Hide_Others", "something_else"}, {hideOthers, quit}},
        {{"action_hide", "action_Hide_Others", "spare"}, {none, hideOthers, quit}},
    };
    for (const auto& c : cases) {
        Host host(c.actions, {});
        new MacMenuActionHandler(host.window.menuBar(), {});
        QList<QKeySequence> shortcuts;
        for (const QString& name : c.actions) {
            shortcuts << host.Action(name.toLatin1())->shortcut();
        }
        EXPECT_EQ(shortcuts, c.shortcuts) << c.actions.join(' ').toStdString();
    }

    // Menus named otherwise, or none at all: nothing is wired, nothing breaks.
    Host bare({}, {});
    bare.AddMenu("File", {"action_Hide", "actionMinimize"});
    new MacMenuActionHandler(bare.window.menuBar(), {});
    EXPECT_EQ(bare.Action("action_Hide")->shortcut(), none);
    bare.Action("actionMinimize")->trigger();
    EXPECT_FALSE(bare.window.isMinimized());
    MacMenuActionHandler orphan(nullptr, {});  // no menu bar at all
}

// Typed shortcuts and window-menu actions act on the windows the predicate allows (an empty
// predicate allows all); with no active window Zoom and Minimize have no target.
TEST(MacMenuActionHandler, ShortcutsAndWindowActionsActOnAllowedWindowsOnly)
{
    for (const char* predicate : {"empty", "allows", "forbids the main window"}) {
        SCOPED_TRACE(predicate);
        const bool allowed = predicate[0] != 'f';
        Host host(kApplicationActions, kWindowActions);
        QMainWindow* const main = &host.window;
        QWidget tool;
        tool.show();
        const auto check = [&](QWidget* window) { return allowed || window != main; };
        new MacMenuActionHandler(host.window.menuBar(),
                                 predicate[0] == 'e' ? std::function<bool(QWidget*)>() : check);

        // Ctrl+H minimises the application's windows; Ctrl+Alt+H leaves them alone.
        QTest::keyClick(main, Qt::Key_H, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_FALSE(main->isMinimized() || tool.isMinimized());
        QTest::keyClick(main, Qt::Key_H, Qt::ControlModifier);
        EXPECT_EQ(main->isMinimized(), allowed);
        EXPECT_TRUE(tool.isMinimized());
        // Bring All to Front restores them.
        host.Action("actionBring_all_to_Front")->trigger();
        EXPECT_FALSE(main->isMinimized() || tool.isMinimized());

        QApplication::setActiveWindow(main);
        host.Action("actionZoom")->trigger();
        EXPECT_EQ(main->isMaximized(), allowed);
        QApplication::setActiveWindow(nullptr);  // no target: nothing changes
        host.Action("actionZoom")->trigger();
        host.Action("actionMinimize")->trigger();
        EXPECT_EQ(main->isMaximized(), allowed);
        EXPECT_FALSE(main->isMinimized());
        QApplication::setActiveWindow(main);
        host.Action("actionZoom")->trigger();
        EXPECT_FALSE(main->isMaximized());
        host.Action("actionMinimize")->trigger();
        EXPECT_EQ(main->isMinimized(), allowed);
        EXPECT_FALSE(tool.isMinimized());
    }
}
