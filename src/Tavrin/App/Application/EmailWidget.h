#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QWidget>

#include <memory>

class QDialog;

namespace Tavrin {
namespace App {

class ISettingsManager;

// The form of the newsletter card: the address field with its validator and the two buttons.
// Its outcome goes to the application's mail settings store: "UserEmail" (lower case),
// "isConfirmed" and "IsRegUser" = "1" on registration, "IsRegUser" = "2" on a skip; then the
// dialog around it is accepted or rejected.
class TAVRIN_APP_EXPORT EmailWidget : public QWidget
{
    Q_OBJECT

public:
    explicit EmailWidget(QDialog* dialog);
    ~EmailWidget() override;

public slots:
    // Shows the form and puts the keyboard focus into the address field. Hides QWidget::show,
    // so it runs only when called on an EmailWidget.
    virtual void show();
    void OnNoRegisterClicked();

private slots:
    void OnRegisterClicked();

private:
    bool ValidateAndUpdateFields();
    void Store(const char* key, const std::string& value) const;

    // The generated form, whose texts are translated in the context "EmailWidget".
    struct Form;
    Form* m_ui;
    std::shared_ptr<ISettingsManager> m_settings;
};

}  // namespace App
}  // namespace Tavrin
