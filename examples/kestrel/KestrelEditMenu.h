#pragma once

#include <Tavrin/App/Application/ColorDialogHelper.h>

#include <QObject>

#include <memory>

class QAction;
class QMainWindow;
class QMenu;
class QWidget;

namespace Tavrin {
namespace App {
class Application;
class ConfirmationAlertBox;
class ISettingsManager;
}  // namespace App
}  // namespace Tavrin

namespace Kestrel {

// The Edit menu, placed before View: "Reset Window Layout…" behind a confirmation that the
// user may silence, "Pick a Colour…" whose custom colours are kept across runs, and "Ask All
// Confirmations Again". It lives as long as the window, and so does the colour helper.
class KestrelEditMenu : public QObject
{
    Q_OBJECT

public:
    KestrelEditMenu(Tavrin::App::Application& application, QMainWindow& window);

    // The confirmation that "Reset Window Layout…" asks, remembered in `settings`.
    static Tavrin::App::ConfirmationAlertBox* NewResetLayoutBox(
        std::shared_ptr<Tavrin::App::ISettingsManager> settings, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ResetLayout();
    void PickColour();
    void AskConfirmationsAgain();
    void Retranslate();

    Tavrin::App::Application& m_application;
    QMainWindow& m_window;
    QMenu* m_menu;
    QAction* m_resetLayout;
    QAction* m_pickColour;
    QAction* m_askAgain;
    Tavrin::App::ColorDialogHelper m_colours;
};

}  // namespace Kestrel
