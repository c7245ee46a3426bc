#include "KestrelDialogShots.h"

#include "KestrelDialogs.h"
#include "SmokeRun.h"

#include <Tavrin/App/Application/AboutBoxDialog.h>
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/EmailDialog.h>
#include <Tavrin/App/Application/ILookAndFeelManager.h>
#include <Tavrin/App/Application/Informer.h>
#include <Tavrin/App/Application/SettingsManager.h>

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>

#include <cstdio>
#include <list>
#include <memory>
#include <string>

namespace Kestrel {

namespace {

const char* const kAboutLocales[] = {"en_US", "de_DE", "ru_RU"};
// How long a modal dialog may take to come up before the run gives up on it.
const int kModalPollMs = 10;
const int kModalPolls = 1000;

// "<dir>/<name>-<dialog>.png" for "<dir>/<name>.png".
QString DialogPath(const QString& mainShotPath, const QString& dialog)
{
    const QFileInfo file(mainShotPath);
    const QString suffix = file.suffix().isEmpty() ? QStringLiteral("png") : file.suffix();
    return file.dir().filePath(file.completeBaseName() + QLatin1Char('-') + dialog +
                               QLatin1Char('.') + suffix);
}

// Calls `act` with the modal widget of type T once it is on screen, from inside its modal loop.
template <typename T>
void WhenModal(QObject* context, std::function<void(T*)> act)
{
    auto* poll = new QTimer(context);
    auto polls = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, context, [poll, polls, act] {
        T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (modal && modal->isVisible()) {
            poll->deleteLater();
            act(modal);
        } else if (++*polls >= kModalPolls) {
            poll->deleteLater();
            std::fprintf(stderr, "A modal dialog did not come up in time.\n");
        }
    });
    poll->start(kModalPollMs);
}

}  // namespace

KestrelDialogShots::KestrelDialogShots(Tavrin::App::Application& application, QWidget& window,
                                       QObject* parent)
    : QObject(parent), m_application(application), m_window(window)
{
    connect(&application, &Tavrin::App::Application::BeforeShowEmailDialog, this,
            &KestrelDialogShots::AnswerEmailCard);
}

void KestrelDialogShots::AnswerEmailCard()
{
    WhenModal<Tavrin::App::EmailDialog>(this, [this](Tavrin::App::EmailDialog* card) {
        if (auto* skip = card->findChild<QPushButton*>(QStringLiteral("noRegisterButton"))) {
            skip->click();
            m_emailCardOutcome = QStringLiteral("skipped");
        }
    });
}

bool KestrelDialogShots::SaveScreenshots(const QString& mainShotPath, QString* error)
{
    const std::shared_ptr<Tavrin::App::ILookAndFeelManager> lookAndFeel =
        m_application.GetLookAndFeel();
    if (!lookAndFeel) {
        return ShootTheme(mainShotPath, QString(), error);
    }
    const std::string theme = lookAndFeel->GetCurrentTheme();
    const std::string locale = lookAndFeel->GetCurrentLocale();
    const std::list<std::string> themes = lookAndFeel->GetThemes();  // a copy: only lent
    bool saved = true;
    for (auto each = themes.begin(); saved && each != themes.end(); ++each) {
        lookAndFeel->SetTheme(*each);
        saved = ShootTheme(mainShotPath, QString::fromStdString(*each), error);
    }
    lookAndFeel->SetTheme(theme);
    lookAndFeel->SetLocale(locale);
    return saved;
}

bool KestrelDialogShots::ShootTheme(const QString& base, const QString& theme, QString* error)
{
    const auto path = [&](const QString& dialog) {
        const QString shot = DialogPath(base, dialog);
        return theme.isEmpty() ? shot : SmokeRun::ThemedPath(shot, theme.toStdString());
    };
    const std::shared_ptr<Tavrin::App::ILookAndFeelManager> lookAndFeel =
        m_application.GetLookAndFeel();
    const std::string locale = lookAndFeel ? lookAndFeel->GetCurrentLocale() : std::string();
    for (const char* aboutLocale : kAboutLocales) {
        if (lookAndFeel) {
            lookAndFeel->SetLocale(aboutLocale);
            // The language change is posted; the card would take it for a switch while open.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        }
        if (!ShootAbout(path(QStringLiteral("about-") + QLatin1String(aboutLocale)), error)) {
            return false;
        }
    }
    if (lookAndFeel) {
        lookAndFeel->SetLocale(locale);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    }
    return ShootEmailCards(base, theme, error) && ShootInformer(path(QStringLiteral("informer")), error);
}

bool KestrelDialogShots::ShootAbout(const QString& path, QString* error)
{
    Tavrin::App::AboutBoxDialog about(KestrelDialogs::VersionText(m_application),
                                      KestrelDialogs::HomepageUrl(m_application), false, &m_window);
    about.show();
    return Save(about, path, error);
}

bool KestrelDialogShots::ShootEmailCards(const QString& base, const QString& theme,
                                         QString* error)
{
    // The cards register for real, so they write to a store of their own.
    const std::shared_ptr<Tavrin::App::ISettingsManager> mail = m_application.GetMailSettingsManager();
    QTemporaryDir scratch;
    m_application.SetMailSettingsManager(std::make_shared<Tavrin::App::SettingsManager>(
        scratch.filePath(QStringLiteral("mail.ini")), QSettings::IniFormat));
    const std::pair<const char*, const char*> cards[] = {
        {"email-empty", ""}, {"email-invalid", "anna.berg.example.org"},
        {"email-valid", "Anna.Berg@Example.org"}};
    bool saved = true;
    for (const auto& [name, address] : cards) {
        Tavrin::App::EmailDialog card(&m_window);
        card.show();
        if (*address) {
            card.findChild<QLineEdit*>(QStringLiteral("emailEdit"))->setText(QLatin1String(address));
            card.findChild<QPushButton*>(QStringLiteral("registerButton"))->click();
        }
        QString shot = DialogPath(base, QLatin1String(name));
        if (!theme.isEmpty()) {
            shot = SmokeRun::ThemedPath(shot, theme.toStdString());
        }
        saved = saved && Save(card, shot, error);
    }
    QToolTip::hideText();
    m_application.SetMailSettingsManager(mail);
    return saved;
}

bool KestrelDialogShots::ShootInformer(const QString& path, QString* error)
{
    Tavrin::App::Informer informer([this] { return &m_window; });
    bool saved = false;
    QObject scope;  // ends the wait with this function, should the box never come
    WhenModal<Tavrin::Util::AlertBox>(&scope, [&](Tavrin::Util::AlertBox* box) {
        saved = Save(*box, path, error);
        informer.Close();
    });
    informer.ExecDialog(KestrelDialogs::ReportProblemText(m_application),
                        KestrelDialogs::ReportProblemLearnMore(m_application), QString(),
                        Tavrin::Util::AlertBox::Information);
    return saved;
}

bool KestrelDialogShots::Save(QWidget& widget, const QString& path, QString* error)
{
    QCoreApplication::sendPostedEvents();
    if (!widget.grab().save(path, "PNG")) {
        *error = path;
        return false;
    }
    std::printf("dialog screenshot: %s\n", path.toUtf8().constData());
    std::fflush(stdout);
    return true;
}

}  // namespace Kestrel
