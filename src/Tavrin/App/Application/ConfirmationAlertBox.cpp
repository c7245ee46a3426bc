#include "Tavrin/App/Application/ConfirmationAlertBox.h"

#include <Tavrin/App/Application/ISettingsManager.h>
#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/Util/StringConversion.h>
#include <Tavrin/Util/WidgetUtils.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>

#include <glog/logging.h>
#include <boost/algorithm/string/predicate.hpp>

#include <utility>

namespace Tavrin {
namespace App {

namespace {

const char kGroup[] = "confirm";
const char kDontConfirmName[] = "dont_confirm";
const char kAnswerName[] = "answer";
const char kStylePropertyName[] = "styleHint";

}  // namespace

ConfirmationAlertBox::ConfirmationAlertBox(std::shared_ptr<ISettingsManager> settings,
                                           Util::AlertBox::Level level, const QString& title,
                                           const QString& text,
                                           QFlags<QMessageBox::StandardButton> buttons,
                                           QWidget* parent, Qt::WindowFlags flags)
    : Util::AlertBox(level, title, text, buttons, parent, flags), m_settings(std::move(settings))
{
    m_checkBox = new QCheckBox(tr("Don't show this again"), this);
    m_checkBox->setObjectName(QStringLiteral("dontConfirmCheckBox"));
    PlaceCheckBox();
}

QMessageBox::StandardButton ConfirmationAlertBox::Exec()
{
    if (ReadDontConfirm()) {
        return static_cast<QMessageBox::StandardButton>(ReadAnswer());
    }
    // The box may be destroyed while it runs (with its parent window, say).
    const QPointer<ConfirmationAlertBox> alive(this);
    const QMessageBox::StandardButton result = Util::AlertBox::Exec();
    if (alive && m_checkBox->isChecked() && MayRemember(result)) {
        WriteDontConfirm(true);
        WriteAnswer(result);
    }
    return result;
}

bool ConfirmationAlertBox::MayRemember(QMessageBox::StandardButton answer) const
{
    if (answer == QMessageBox::NoButton) {
        return false;  // closed without an answer: nothing to remember
    }
    const auto* buttonBox = findChild<QDialogButtonBox*>();
    const QDialogButtonBox::ButtonRole role =
        buttonBox ? buttonBox->buttonRole(clickedButton()) : QDialogButtonBox::InvalidRole;
    if (!m_rememberOnReject && role == QDialogButtonBox::RejectRole) {
        return false;
    }
    return !m_rememberOnly || m_rememberOnly.testFlag(answer);
}

void ConfirmationAlertBox::SetConfirmationId(const QString& id)
{
    m_confirmationId = id;
}

QString ConfirmationAlertBox::GetConfirmationId() const
{
    return m_confirmationId;
}

void ConfirmationAlertBox::SetConfirmationText(const QString& text)
{
    m_checkBox->setText(text);
}

QString ConfirmationAlertBox::GetConfirmationText() const
{
    return m_checkBox->text();
}

void ConfirmationAlertBox::SetDontConfirm(bool dontConfirm)
{
    m_checkBox->setChecked(dontConfirm);
}

bool ConfirmationAlertBox::IsDontConfirm() const
{
    return m_checkBox->isChecked();
}

void ConfirmationAlertBox::SetRememberOnReject(bool remember)
{
    m_rememberOnReject = remember;
}

bool ConfirmationAlertBox::RememberOnReject() const
{
    return m_rememberOnReject;
}

void ConfirmationAlertBox::SetRememberOnly(QFlags<QMessageBox::StandardButton> answers)
{
    m_rememberOnly = answers;
}

QFlags<QMessageBox::StandardButton> ConfirmationAlertBox::RememberOnly() const
{
    return m_rememberOnly;
}

void ConfirmationAlertBox::SetForceSaveAnswer(int answer)
{
    m_forceSaveAnswer = true;
    m_forcedAnswer = answer;
}

void ConfirmationAlertBox::Reset()
{
    WriteDontConfirm(false);
}

bool ConfirmationAlertBox::ResetAll(const std::shared_ptr<ISettingsManager>& settings)
{
    const auto* listing = dynamic_cast<const SettingsManager*>(settings.get());
    if (!listing) {
        LOG(WARNING) << "Remembered confirmations cannot be reset: the settings store "
                     << (settings ? "does not list its keys" : "is missing");
        return false;
    }
    const std::string suffix = std::string("_") + kDontConfirmName;
    for (const std::string& key : listing->GetKeys(kGroup)) {
        if (boost::algorithm::ends_with(key, suffix)) {
            settings->SetBool(std::string(kGroup) + '/' + key, false);
        }
    }
    return true;
}

void ConfirmationAlertBox::showEvent(QShowEvent* event)
{
    PlaceCheckBox();
    Util::AlertBox::showEvent(event);
}

void ConfirmationAlertBox::PlaceCheckBox()
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    auto* buttonBox = findChild<QDialogButtonBox*>();
    if (!grid || !buttonBox || (m_checkBoxRow && grid->indexOf(m_checkBoxRow) >= 0)) {
        return;
    }
    const int buttonBoxIndex = grid->indexOf(buttonBox);
    if (buttonBoxIndex < 0) {
        return;
    }
    buttonBox->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    Util::ApplyWidgetStyle(button(QMessageBox::Ok), QStringLiteral("activeButton"),
                           kStylePropertyName);
    Util::ApplyWidgetStyle(button(QMessageBox::Cancel), QStringLiteral("rejectButton"),
                           kStylePropertyName);

    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(buttonBoxIndex, &row, &column, &rowSpan, &columnSpan);
    QLayoutItem* buttonBoxItem = grid->takeAt(buttonBoxIndex);
    auto* checkBoxRow = new QHBoxLayout;
    checkBoxRow->addWidget(m_checkBox);
    checkBoxRow->addItem(buttonBoxItem);
    grid->addLayout(checkBoxRow, row, column, rowSpan, columnSpan);
    m_checkBoxRow = checkBoxRow;
}

std::string ConfirmationAlertBox::GetSettingKey(const std::string& name) const
{
    // "confirm/%1%_%2%" with the id in UTF-8; put together by hand, since a formatter would
    // cost more than the two store lookups it serves.
    std::string key = std::string(kGroup) + '/';
    key += Util::QStringToUtf8(m_confirmationId);
    key += '_';
    key += name;
    return key;
}

int ConfirmationAlertBox::ReadAnswer() const
{
    return m_settings ? m_settings->GetInt(GetSettingKey(kAnswerName), 0) : 0;
}

void ConfirmationAlertBox::WriteAnswer(int answer)
{
    if (m_settings) {
        m_settings->SetInt(GetSettingKey(kAnswerName), m_forceSaveAnswer ? m_forcedAnswer : answer);
    }
}

bool ConfirmationAlertBox::ReadDontConfirm() const
{
    return m_settings && m_settings->GetBool(GetSettingKey(kDontConfirmName), false);
}

void ConfirmationAlertBox::WriteDontConfirm(bool value)
{
    if (m_settings) {
        m_settings->SetBool(GetSettingKey(kDontConfirmName), value);
    }
}

}  // namespace App
}  // namespace Tavrin
