#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QObject>

#include <functional>

class QMenuBar;
class QWidget;

namespace Tavrin {
namespace App {

// Gives a menu bar the usual application-menu and window-menu behaviour. Once, when built,
// it looks for these menus among the menu bar's descendants and these actions among each
// menu's own actions (exact object names; the first match wins) and wires what it finds:
//
//   menu "menuMacOSMenu": "action_Hide"          Ctrl+H      onHideItself
//                         "action_Hide_Others"   Ctrl+Alt+H  onHideOthers
//                         "action_Preferences"   the platform's Preferences keys
//                         its last action        the platform's Quit keys (even when that
//                                                is "action_Preferences")
//   menu "menuWindow":    "actionMinimize"                   onMinimize
//                         "actionZoom"                       onZoom
//                         "actionBring_all_to_Front"         onBringAllToFront
//
// Menus and actions the host did not create are skipped. The slots act on the application's
// windows only where the host's predicate allows it (an empty predicate allows every window).
//
// On Linux (X11, Wayland, offscreen):
//   onHideItself       minimises every visible top-level window of the application;
//   onHideOthers       does nothing: an application cannot hide other applications' windows;
//   onBringAllToFront  restores every minimised top-level window of the application and
//                      raises every visible one, the active window last so that it stays
//                      on top.
class TAVRIN_APP_EXPORT MacMenuActionHandler : public QObject
{
    Q_OBJECT

public:
    // The handler becomes a child of the menu bar, so it ends with it.
    MacMenuActionHandler(QMenuBar* menuBar, std::function<bool(QWidget*)> canManipulate);

private slots:
    void onHideItself();
    void onHideOthers();
    // Minimises the active window.
    void onMinimize();
    // Toggles the active window between maximised and normal.
    void onZoom();
    void onBringAllToFront();

private:
    virtual bool canManipulateWithWidget(QWidget* widget);

    void WireApplicationMenu(QMenuBar* menuBar);
    void WireWindowMenu(QMenuBar* menuBar);

    std::function<bool(QWidget*)> m_canManipulate;
};

}  // namespace App
}  // namespace Tavrin
