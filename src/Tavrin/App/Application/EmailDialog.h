#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QDialog>

class QEvent;

namespace Tavrin {
namespace App {

namespace Ui {
class EmailDialog;
}

// The newsletter card offered on a product's first launch: a frameless modal dialog with a
// close button around an EmailWidget. Run it with exec(): Accepted when the user registered,
// Rejected after "Skip" or the close button (both store the skip). It keeps the language it
// was built in while open. Styled by ":/EmailDialog/EmailDialog.qss" followed by the
// library's common dialog sheet ":/Dialogs/Dialogs.qss"; without them it is plain.
class TAVRIN_APP_EXPORT EmailDialog : public QDialog
{
    Q_OBJECT

public:
    explicit EmailDialog(QWidget* parent);
    ~EmailDialog() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    Ui::EmailDialog* m_ui;
};

}  // namespace App
}  // namespace Tavrin
