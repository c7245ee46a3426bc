#include "Tavrin/App/Application/EmailDialog.h"

#include "Tavrin/App/Application/DialogSupport_p.h"
#include "Tavrin/App/Application/EmailWidget.h"
#include "Tavrin/Util/WidgetUtils.h"

#include "ui_EmailDialog.h"

#include <QStyle>

namespace Tavrin {
namespace App {

namespace {

const char kOwnStyleSheet[] = ":/EmailDialog/EmailDialog.qss";
const char kCommonStyleSheet[] = ":/Dialogs/Dialogs.qss";

}  // namespace

EmailDialog::EmailDialog(QWidget* parent) : QDialog(parent), m_ui(new Ui::EmailDialog)
{
    m_ui->setupUi(this);
    connect(m_ui->disagreeButton, &QPushButton::clicked, m_ui->emailWidget,
            &EmailWidget::OnNoRegisterClicked);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setModal(true);
    setStyleSheet(Dialogs::ReadStyleSheets(
        {QLatin1String(kOwnStyleSheet), QLatin1String(kCommonStyleSheet)}));
    style()->polish(this);  // at once, so that the size below is the styled one
    adjustSize();
    move(Util::GetWidgetPosOnCurrentScreenCenter(*this));
}

EmailDialog::~EmailDialog()
{
    delete m_ui;
}

void EmailDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        return;
    }
    QDialog::changeEvent(event);
}

}  // namespace App
}  // namespace Tavrin
