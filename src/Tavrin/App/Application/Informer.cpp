#include "Tavrin/App/Application/Informer.h"

#include "Tavrin/App/Application/DialogSupport_p.h"

#include "Tavrin/Util/StyledPalette.h"

#include <QCursor>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <glog/logging.h>

namespace Tavrin {
namespace App {

namespace {

const char kBoxObjectName[] = "Informer_AlertBox";
const char kDefaultIcon[] = ":/Icons/large_icon.png";
const char kWindowIcon[] = ":/Icons/activation.png";
const int kBoxWidth = 450;
const char kLearnMoreLabel[] = "tavrin_alertbox_learnmore";

}  // namespace

struct Informer::Impl
{
    Util::AlertBox* currentDialog = nullptr;
    std::function<QWidget*()> parentProvider;
};

Informer::Informer(const std::function<QWidget*()>& parentProvider)
    : QObject(parentProvider ? parentProvider() : nullptr), m_impl(std::make_unique<Impl>())
{
    m_impl->parentProvider = parentProvider;
}

Informer::~Informer() = default;

QFlags<QMessageBox::StandardButton> Informer::ExecDialog(const QString& text,
                                                         const QString& learnMoreLink,
                                                         const QString& iconPath,
                                                         Util::AlertBox::Level level)
{
    if (m_impl->currentDialog) {
        LOG(WARNING) << "Informer: a box is already on screen; not showing another: "
                     << text.left(80).toStdString();
        return QMessageBox::NoButton;
    }
    Util::StyledPalette::Apply();  // before the text's links are laid out
    QWidget* parent = m_impl->parentProvider ? m_impl->parentProvider() : nullptr;
    auto* box = new Util::AlertBox(level, QString(), text, QMessageBox::Ok, parent,
                                   Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    m_impl->currentDialog = box;
    box->setObjectName(QLatin1String(kBoxObjectName));
    box->setIconPixmap(QPixmap(iconPath.isEmpty() ? QString::fromLatin1(kDefaultIcon) : iconPath));
    box->setWindowIcon(QIcon(QPixmap(QLatin1String(kWindowIcon))));
    box->SetLearnMoreLink(learnMoreLink);
    for (QLabel* label : box->findChildren<QLabel*>()) {
        if (label->objectName() == QLatin1String(kLearnMoreLabel)) {
            continue;  // the box opens its own "Learn more"; a second handler opens it twice
        }
        label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        label->setOpenExternalLinks(false);
        connect(label, &QLabel::linkActivated, this, &Informer::OnDialogLinkActivated);
    }
    box->SetWidth(kBoxWidth);

    const QPointer<Informer> alive(this);
    const QPointer<Util::AlertBox> boxAlive(box);
    const QMessageBox::StandardButton button = box->Exec();
    if (alive) {
        if (boxAlive) {
            box->deleteLater();
        }
        m_impl->currentDialog = nullptr;
    }
    return button;
}

bool Informer::Close()
{
    return m_impl->currentDialog ? m_impl->currentDialog->close() : true;
}

void Informer::OnDialogLinkActivated(const QString& link)
{
    if (Dialogs::OpenWebLink(link)) {
        return;
    }
    if (qobject_cast<QWidget*>(sender())) {
        Dialogs::CopyToClipboard(Dialogs::WithoutMailto(link));
        Dialogs::ShowTooltip(QCursor::pos(), tr("Email address has been copied to the clipboard"));
    }
}

}  // namespace App
}  // namespace Tavrin
