#include "Tavrin/App/Application/AboutBoxDialog.h"

#include "Tavrin/App/Application/Application.h"
#include "Tavrin/App/Application/DialogSupport_p.h"
#include "Tavrin/App/Application/ICustomizationManager.h"
#include "Tavrin/App/Application/ILookAndFeelManager.h"
#include "Tavrin/App/BuildInfo_p.h"
#include "Tavrin/Util/StringConversion.h"
#include "Tavrin/Util/StyledPalette.h"
#include "Tavrin/Util/WidgetUtils.h"

#include "ui_AboutBoxDialog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QMouseEvent>
#include <QStringList>
#include <QSysInfo>
#include <QTimer>

#include <glog/logging.h>

#include <memory>
#include <stdexcept>

namespace Tavrin {
namespace App {

namespace {

const char kLinkMarkup[] = "<a href=\"%1\">%2</a>";
const char kPicturePath[] = ":/About/about_%1.png";
// The rights notices; %1 is the year.
const char kCompanyNotice[] = "\u00A9 %1 Tavrin Software";
const char kDomainNotice[] = "\u00A9 %1 tavrin.example";

// The link markup with the target and the caption put in at once: one after the other, a "%1"
// in the target would be taken for the caption's place.
QString LinkMarkup(const QString& target, const QString& caption)
{
    return QString::fromLatin1(kLinkMarkup).arg(target, caption);
}

std::shared_ptr<ICustomizationManager> Customization()
{
    const Application* application = Application::Instance();
    return application ? application->GetCustomizationManager() : nullptr;
}

QString SupportEmail()
{
    const std::shared_ptr<ICustomizationManager> customization = Customization();
    return customization ? Util::Utf8ToQString(customization->GetSupportEmail()) : QString();
}

QString CurrentLocale()
{
    const Application* application = Application::Instance();
    const std::shared_ptr<ILookAndFeelManager> lookAndFeel =
        application ? application->GetLookAndFeel() : nullptr;
    return lookAndFeel ? Util::Utf8ToQString(lookAndFeel->GetCurrentLocale()) : QString();
}

QString BuildCommit()
{
    const QString prefix = QStringLiteral("Build commit: ");
    for (const char* line : BuildInfo::kLines) {
        const QString text = QString::fromUtf8(line);
        if (text.startsWith(prefix)) {
            return text.mid(prefix.size());
        }
    }
    return QString();
}

}  // namespace

void AboutBoxDialog::ShowAbout(const QString& versionText, const QString& homepageUrl,
                               bool companyNotice, QWidget* parent)
{
    auto* dialog = new AboutBoxDialog(versionText, homepageUrl, companyNotice, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

AboutBoxDialog::AboutBoxDialog(const QString& versionText, const QString& homepageUrl,
                               bool companyNotice, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::AboutBoxDialog), m_versionText(versionText)
{
    Util::StyledPalette::Apply();  // before the links are laid out
    m_ui->setupUi(this);
    m_ui->mailToLabel->adjustSize();
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);

    m_ui->applicationVersionLabel->setText(versionText);
    m_ui->homePageLabel->setText(LinkMarkup(homepageUrl, tr("Visit homepage")));
    m_ui->customURL->hide();
    ShowCustomLink();
    const QString notice = QString::fromUtf8(companyNotice ? kCompanyNotice : kDomainNotice);
    m_ui->copyrightLabel->setText(notice.arg(QDateTime::currentDateTime().date().year()));
    ShowPicture();

    const QString address = SupportEmail();
    m_ui->mailToLabel->setText(LinkMarkup(address, Dialogs::WithoutMailto(address)));
    connect(m_ui->mailToLabel, &QLabel::linkActivated, this, &AboutBoxDialog::openEmailClient);
    connect(m_ui->versionDetailsLabel, &QLabel::linkActivated, this,
            [this] { CopyVersionDetails(); });

    if (const std::shared_ptr<ICustomizationManager> customization = Customization()) {
        customization->ApplyCustomization(this);
    }
}

AboutBoxDialog::~AboutBoxDialog()
{
    delete m_ui;
}

void AboutBoxDialog::ShowCustomLink()
{
    const std::shared_ptr<ICustomizationManager> customization = Customization();
    const QString caption =
        customization ? Util::Utf8ToQString(customization->GetCustomAboutCaption()) : QString();
    if (caption.isEmpty()) {
        return;
    }
    QString url;
    try {
        url = Application::Instance()->GetUrl(CUSTOM_ABOUT_URL);
    } catch (const std::logic_error& error) {
        // A product without a look-and-feel or mail store has no links manager, so no link.
        LOG(WARNING) << "About box: no product link: " << error.what();
    }
    if (!url.isEmpty()) {
        m_ui->customURL->setText(LinkMarkup(url, caption));
        m_ui->customURL->show();
    }
}

void AboutBoxDialog::ShowPicture()
{
    const QString path = QString::fromLatin1(kPicturePath).arg(CurrentLocale());
    if (QFile::exists(path)) {
        m_ui->topPlaceHolder->setStyleSheet(QStringLiteral("background-image: url(") + path +
                                            QStringLiteral(");"));
    }
}

void AboutBoxDialog::openEmailClient(const QString& link)
{
    if (Dialogs::OpenWebLink(link)) {
        return;
    }
    Dialogs::CopyToClipboard(Dialogs::WithoutMailto(SupportEmail()));
    QTimer::singleShot(0, this, &AboutBoxDialog::setMailToLabelText);
}

void AboutBoxDialog::setMailToLabelText()
{
    Dialogs::ShowTooltip(m_ui->mailToLabel->mapToGlobal(QPoint(0, 0)),
                         tr("Email address has been copied to the clipboard"));
}

void AboutBoxDialog::CopyVersionDetails()
{
    const std::shared_ptr<ICustomizationManager> customization = Customization();
    const QString product = customization
                                ? Util::Utf8ToQString(customization->GetAboutProductName())
                                : QCoreApplication::applicationName();
    const QStringList lines{
        product,
        QStringLiteral("Version: ") + m_versionText,
        QStringLiteral("Build commit: ") + BuildCommit(),
        QStringLiteral("Qt: ") + QString::fromLatin1(qVersion()),
        QStringLiteral("System: ") + QSysInfo::prettyProductName() + QStringLiteral(", ") +
            QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion() +
            QLatin1Char(' ') + QSysInfo::currentCpuArchitecture(),
    };
    Dialogs::CopyToClipboard(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    Dialogs::ShowTooltip(m_ui->versionDetailsLabel->mapToGlobal(QPoint(0, 0)),
                         tr("Version details have been copied to the clipboard"));
}

void AboutBoxDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
    } else if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        close();
    }
}

void AboutBoxDialog::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    const QPoint position = m_ui->bottomPlaceHolder->mapFrom(this, event->pos());
    for (const QWidget* link : {static_cast<QWidget*>(m_ui->homePageLabel),
                                static_cast<QWidget*>(m_ui->mailToLabel),
                                static_cast<QWidget*>(m_ui->versionDetailsLabel),
                                static_cast<QWidget*>(m_ui->customURL)}) {
        // The labels sit in nested layouts of the placeholder, so compare in its coordinates.
        const QRect area(link->mapTo(m_ui->bottomPlaceHolder, QPoint(0, 0)), link->size());
        if (link->isVisible() && area.contains(position)) {
            return;
        }
    }
    close();
}

void AboutBoxDialog::showEvent(QShowEvent*)
{
    m_ui->homePageLabel->adjustSize();
    move(Util::GetWidgetPosOnCurrentScreenCenter(*this));
}

}  // namespace App
}  // namespace Tavrin
