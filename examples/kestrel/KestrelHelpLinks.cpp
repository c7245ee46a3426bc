#include "KestrelHelpLinks.h"

#include <Tavrin/App/Application/Application.h>
#include <Tavrin/Links/ILinksManager.h>

#include <QAction>
#include <QEvent>
#include <QMenu>

#include <glog/logging.h>

#include <iterator>
#include <stdexcept>

namespace Kestrel {

namespace {

struct LinkText
{
    Tavrin::URLKeys key;
    const char* text;
};

const LinkText kLinks[] = {
    {Tavrin::HELP_URL_menu, QT_TRANSLATE_NOOP("Kestrel::KestrelHelpLinks", "&User Guide")},
    {Tavrin::FAQ_URL_menu, QT_TRANSLATE_NOOP("Kestrel::KestrelHelpLinks", "&Frequently Asked Questions")},
    {Tavrin::CONTACT_SUPPORT_menu, QT_TRANSLATE_NOOP("Kestrel::KestrelHelpLinks", "&Contact Support")},
    {Tavrin::HOMEPAGE_URL_menu, QT_TRANSLATE_NOOP("Kestrel::KestrelHelpLinks", "Tavrin Kestrel &Website")},
};

}  // namespace

KestrelHelpLinks::KestrelHelpLinks(Tavrin::App::Application& application, QMenu* helpMenu)
    : QObject(helpMenu), m_application(application), m_menu(helpMenu)
{
    QAction* const first = m_menu->actions().value(0);
    for (const LinkText& link : kLinks) {
        auto* action = new QAction(m_menu);
        m_menu->insertAction(first, action);
        const Tavrin::URLKeys key = link.key;
        connect(action, &QAction::triggered, this, [this, key] { Open(key); });
        m_links.push_back({key, action});
    }
    if (first) {
        m_menu->insertSeparator(first);
    }
    m_menu->installEventFilter(this);
    Retranslate();
}

bool KestrelHelpLinks::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_menu && event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    return QObject::eventFilter(watched, event);
}

void KestrelHelpLinks::Open(Tavrin::URLKeys key) const
{
    try {
        m_application.GetLinksManager()->OpenUrl(key);
    } catch (const std::logic_error& error) {
        // The links need the look-and-feel manager and the mail store, set at start.
        LOG(ERROR) << "Cannot open the link " << key << ": " << error.what();
    }
}

void KestrelHelpLinks::Retranslate()
{
    for (std::size_t i = 0; i < m_links.size(); ++i) {
        m_links[i].action->setText(tr(kLinks[i].text));
    }
}

}  // namespace Kestrel
