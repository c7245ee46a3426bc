#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QWidget;

namespace Tavrin {
namespace App {
class Application;
class Informer;
}
}  // namespace Tavrin

namespace Kestrel {

// The library's stock dialogs in the Help menu: "Report a Problem…" (an information box with
// the support page and the support address) and "About Tavrin Kestrel" (the about card).
class KestrelDialogs : public QObject
{
    Q_OBJECT

public:
    KestrelDialogs(Tavrin::App::Application& application, QWidget& window, QMenu* helpMenu);

    // "Tavrin Kestrel 14.5.0".
    static QString VersionText(const Tavrin::App::Application& application);
    // The about card's home page: the product's web site, from the "about" menu.
    static QString HomepageUrl(const Tavrin::App::Application& application);
    // The text of the problem report box, with a web link and an e-mail link.
    static QString ReportProblemText(const Tavrin::App::Application& application);
    // The support page that the report box's "Learn more" opens.
    static QString ReportProblemLearnMore(const Tavrin::App::Application& application);

    // Shows the about card; returns at once.
    void ShowAbout();
    // Runs the problem report box until it is closed.
    void ReportProblem();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Retranslate();

    Tavrin::App::Application& m_application;
    QWidget& m_window;
    QMenu* m_menu;
    Tavrin::App::Informer* m_informer;
    QAction* m_reportAction;
    QAction* m_aboutAction;
};

}  // namespace Kestrel
