#pragma once

#include <Tavrin/Links/URLKeys.h>

#include <QObject>

#include <vector>

class QAction;
class QMenu;

namespace Tavrin {
namespace App {
class Application;
}
}  // namespace Tavrin

namespace Kestrel {

// The product's web links at the top of the Help menu. Each opens through the application's
// links manager, so it follows the interface language and goes to the preferred browser.
class KestrelHelpLinks : public QObject
{
    Q_OBJECT

public:
    KestrelHelpLinks(Tavrin::App::Application& application, QMenu* helpMenu);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Link
    {
        Tavrin::URLKeys key;
        QAction* action;
    };

    void Open(Tavrin::URLKeys key) const;
    void Retranslate();

    Tavrin::App::Application& m_application;
    QMenu* m_menu;
    std::vector<Link> m_links;
};

}  // namespace Kestrel
