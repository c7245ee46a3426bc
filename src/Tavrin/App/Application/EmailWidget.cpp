#include "Tavrin/App/Application/EmailWidget.h"

#include "Tavrin/App/Application/Application.h"
#include "Tavrin/App/Application/ISettingsManager.h"
#include "Tavrin/Util/EmailValidator.h"
#include "Tavrin/Util/StringConversion.h"

#include "ui_EmailWidget.h"

#include <QDialog>
#include <QGraphicsDropShadowEffect>
#include <QStyle>
#include <QToolTip>

#include <glog/logging.h>

namespace Tavrin {
namespace App {

namespace {

const char kStateProperty[] = "state";

void AddDropShadow(QWidget* button)
{
    auto* shadow = new QGraphicsDropShadowEffect(button);
    shadow->setBlurRadius(1.0);
    shadow->setOffset(0.0, 1.0);
    button->setGraphicsEffect(shadow);  // the button owns it from here
}

}  // namespace

struct EmailWidget::Form : ::Ui::EmailWidget
{
};

EmailWidget::EmailWidget(QDialog* dialog) : QWidget(dialog), m_ui(new Form)
{
    if (const Application* application = Application::Instance()) {
        m_settings = application->GetMailSettingsManager();
    }
    m_ui->setupUi(this);
    m_ui->emailEdit->setInputMethodHints(Qt::ImhEmailCharactersOnly);
    m_ui->emailEdit->setValidator(Util::GetEmailValidator(this));
    connect(m_ui->noRegisterButton, &QPushButton::clicked, this,
            &EmailWidget::OnNoRegisterClicked);
    connect(m_ui->registerButton, &QPushButton::clicked, this, &EmailWidget::OnRegisterClicked);
    m_ui->recieveNewsCheckBox->hide();
    m_ui->noRegisterButton->setText(QCoreApplication::translate("EmailWidget", "Skip"));
    m_ui->captionLabel->setText(QCoreApplication::translate(
        "EmailWidget",
        "Register now and you will be among the first to know about our special offers and "
        "sales."));
    AddDropShadow(m_ui->noRegisterButton);
    AddDropShadow(m_ui->registerButton);
}

EmailWidget::~EmailWidget()
{
    delete m_ui;
}

void EmailWidget::show()
{
    QWidget::show();
    m_ui->emailEdit->setFocus(Qt::OtherFocusReason);
}

void EmailWidget::OnRegisterClicked()
{
    if (!ValidateAndUpdateFields()) {
        return;
    }
    Store("UserEmail", Util::QStringToUtf8(m_ui->emailEdit->text().toLower()));
    Store("isConfirmed", m_ui->recieveNewsCheckBox->isChecked() ? "0" : "1");
    Store("IsRegUser", "1");
    if (auto* dialog = qobject_cast<QDialog*>(parentWidget())) {
        dialog->accept();
    }
}

void EmailWidget::OnNoRegisterClicked()
{
    Store("IsRegUser", "2");
    if (auto* dialog = qobject_cast<QDialog*>(parentWidget())) {
        dialog->reject();
    }
}

bool EmailWidget::ValidateAndUpdateFields()
{
    QLineEdit* edit = m_ui->emailEdit;
    const bool ok = edit->hasAcceptableInput();
    edit->setProperty(kStateProperty, ok ? "valid" : "invalid");
    if (!ok) {
        const QString message =
            QCoreApplication::translate("EmailWidget", "Please enter a valid email address");
        edit->setToolTip(message);
        QToolTip::showText(edit->mapToGlobal(QPoint(0, 0)), message);
    }
    edit->style()->unpolish(edit);
    edit->style()->polish(edit);
    edit->update();
    return ok;
}

void EmailWidget::Store(const char* key, const std::string& value) const
{
    if (!m_settings) {
        LOG(WARNING) << "E-mail card: no mail settings store; " << key << " not stored";
        return;
    }
    m_settings->SetString(key, value);
}

}  // namespace App
}  // namespace Tavrin
