#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Util/AlertBox.h>

#include <QFlags>
#include <QMessageBox>
#include <QPointer>
#include <QString>

#include <memory>
#include <string>

class QCheckBox;
class QHBoxLayout;
class QShowEvent;

namespace Tavrin {
namespace App {

class ISettingsManager;

// A message box with a "Don't show this again" check box. When the user ticks it and answers,
// the answer is remembered in the settings store under
//   confirm/<id>_dont_confirm   bool, true while the question stays silent
//   confirm/<id>_answer         int, the QMessageBox::StandardButton remembered
// and later calls of Exec for the same id return that answer at once, showing nothing.
//
// Which answers are remembered: a rejecting button (QDialogButtonBox::RejectRole, such as
// Cancel) only with SetRememberOnReject(true); with SetRememberOnly(buttons) only those
// buttons; closing the box without pressing a button never. "No" is not a rejection.
// With a null store the box asks every time and remembers nothing.
class TAVRIN_APP_EXPORT ConfirmationAlertBox : public Util::AlertBox
{
    Q_OBJECT

public:
    // Everything but the store goes unchanged to the AlertBox. Set the confirmation id before
    // Exec: boxes without one share the keys "confirm/_dont_confirm" and "confirm/_answer".
    ConfirmationAlertBox(std::shared_ptr<ISettingsManager> settings, Util::AlertBox::Level level,
                         const QString& title, const QString& text,
                         QFlags<QMessageBox::StandardButton> buttons, QWidget* parent = nullptr,
                         Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    // The remembered answer without showing anything, or the answer the user gives now
    // (NoButton when the box was closed or destroyed without one).
    QMessageBox::StandardButton Exec() override;

    void SetConfirmationId(const QString& id);
    QString GetConfirmationId() const;

    // The check box's label; "Don't show this again" (translated) unless set.
    void SetConfirmationText(const QString& text);
    QString GetConfirmationText() const;

    // The check box's state on screen, not what the store holds.
    void SetDontConfirm(bool dontConfirm);
    bool IsDontConfirm() const;

    void SetRememberOnReject(bool remember);
    bool RememberOnReject() const;

    // Only these answers are remembered; none (the default) means any.
    void SetRememberOnly(QFlags<QMessageBox::StandardButton> answers);
    QFlags<QMessageBox::StandardButton> RememberOnly() const;

    // From now on a remembered answer is stored as `answer` whatever the user pressed; Exec
    // still returns the pressed button. There is no way back.
    void SetForceSaveAnswer(int answer);

    // Makes the question show again; the remembered answer stays in the store.
    void Reset();

    // Makes every remembered question of the store show again, keeping the answers. The store
    // has to list its keys, which SettingsManager does; false (and a warning in the log) for
    // a null store or one that cannot.
    static bool ResetAll(const std::shared_ptr<ISettingsManager>& settings);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Puts the check box left of the buttons, in the button box's grid cell. QMessageBox
    // builds a new layout whenever its parts change, so this runs again before showing.
    void PlaceCheckBox();
    bool MayRemember(QMessageBox::StandardButton answer) const;

    std::string GetSettingKey(const std::string& name) const;
    int ReadAnswer() const;
    void WriteAnswer(int answer);
    bool ReadDontConfirm() const;
    void WriteDontConfirm(bool value);

    std::shared_ptr<ISettingsManager> m_settings;
    QString m_confirmationId;
    QCheckBox* m_checkBox = nullptr;
    bool m_rememberOnReject = false;
    QFlags<QMessageBox::StandardButton> m_rememberOnly;
    bool m_forceSaveAnswer = false;
    int m_forcedAnswer = 0;
    QPointer<QHBoxLayout> m_checkBoxRow;
};

}  // namespace App
}  // namespace Tavrin
