#include "KestrelDialogs.h"

#include <Tavrin/App/Application/AboutBoxDialog.h>
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ICustomizationManager.h>
#include <Tavrin/App/Application/Informer.h>

#include <QAction>
#include <QEvent>
#include <QMenu>

#include <glog/logging.h>

#include <stdexcept>

namespace Kestrel {

namespace {

// A link of the product, or nothing when the links cannot be made (no look and feel yet).
QString ProductUrl(const Tavrin::App::Application& application, Tavrin::URLKeys key)
{
    try {
        return application.GetUrl(key);
    } catch (const std::logic_error& error) {
        LOG(ERROR) << "No link " << key << ": " << error.what();
        return QString();
    }
}

}  // namespace

KestrelDialogs::KestrelDialogs(Tavrin::App::Application& application, QWidget& window,
                               QMenu* helpMenu)
    : QObject(helpMenu),
      m_application(application),
      m_window(window),
      m_menu(helpMenu),
      // A child of the window, as the report box is.
      m_informer(new Tavrin::App::Informer([&window] { return &window; }))
{
    m_menu->addSeparator();
    m_reportAction = m_menu->addAction(QString());
    connect(m_reportAction, &QAction::triggered, this, &KestrelDialogs::ReportProblem);
    m_aboutAction = m_menu->addAction(QString());
    m_aboutAction->setMenuRole(QAction::AboutRole);
    connect(m_aboutAction, &QAction::triggered, this, &KestrelDialogs::ShowAbout);
    m_menu->installEventFilter(this);
    Retranslate();
}

QString KestrelDialogs::VersionText(const Tavrin::App::Application& application)
{
    return application.GetProductNameAbout() + QLatin1Char(' ') +
           QCoreApplication::applicationVersion();
}

QString KestrelDialogs::HomepageUrl(const Tavrin::App::Application& application)
{
    return ProductUrl(application, Tavrin::HOMEPAGE_URL_menuabout);
}

QString KestrelDialogs::ReportProblemText(const Tavrin::App::Application& application)
{
    const auto customization = application.GetCustomizationManager();
    const QString email =
        customization ? QString::fromStdString(customization->GetSupportEmail()) : QString();
    return tr("<p><b>Something does not work as it should?</b></p>"
              "<p>Tell us on the <a href=\"%1\">support page</a> or write to "
              "<a href=\"mailto:%2\">%2</a>. The version details from Help &gt; About help "
              "us find the cause sooner.</p>")
        .arg(ProductUrl(application, Tavrin::CONTACT_SUPPORT_menu).toHtmlEscaped(),
             email.toHtmlEscaped());
}

QString KestrelDialogs::ReportProblemLearnMore(const Tavrin::App::Application& application)
{
    return ProductUrl(application, Tavrin::FAQ_URL_menu);
}

void KestrelDialogs::ShowAbout()
{
    Tavrin::App::AboutBoxDialog::ShowAbout(VersionText(m_application), HomepageUrl(m_application),
                                           false, &m_window);
}

void KestrelDialogs::ReportProblem()
{
    m_informer->ExecDialog(ReportProblemText(m_application), ReportProblemLearnMore(m_application),
                        QString(), Tavrin::Util::AlertBox::Information);
}

bool KestrelDialogs::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_menu && event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    return QObject::eventFilter(watched, event);
}

void KestrelDialogs::Retranslate()
{
    m_reportAction->setText(tr("&Report a Problem…"));
    m_aboutAction->setText(tr("&About Tavrin Kestrel"));
}

}  // namespace Kestrel
