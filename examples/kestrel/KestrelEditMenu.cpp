#include "KestrelEditMenu.h"

#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ConfirmationAlertBox.h>

#include <QColorDialog>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>

namespace Kestrel {

namespace {

const char kResetLayoutId[] = "resetWindowLayout";
// The main window's own first layout.
const QSize kDefaultWindowSize(900, 600);
const QList<int> kDefaultSplit{260, 640};
const int kStatusMessageMs = 5000;

}  // namespace

KestrelEditMenu::KestrelEditMenu(Tavrin::App::Application& application, QMainWindow& window)
    : QObject(&window), m_application(application), m_window(window)
{
    m_menu = new QMenu(&window);
    // Between File and View, where users look for it.
    window.menuBar()->insertMenu(window.menuBar()->actions().value(1), m_menu);
    m_resetLayout = m_menu->addAction(QString(), this, &KestrelEditMenu::ResetLayout);
    m_pickColour = m_menu->addAction(QString(), this, &KestrelEditMenu::PickColour);
    m_menu->addSeparator();
    m_askAgain = m_menu->addAction(QString(), this, &KestrelEditMenu::AskConfirmationsAgain);
    m_menu->installEventFilter(this);
    Retranslate();
}

Tavrin::App::ConfirmationAlertBox* KestrelEditMenu::NewResetLayoutBox(
    std::shared_ptr<Tavrin::App::ISettingsManager> settings, QWidget* parent)
{
    auto* box = new Tavrin::App::ConfirmationAlertBox(
        std::move(settings), Tavrin::Util::AlertBox::Question, tr("Tavrin Kestrel"),
        tr("Reset the window layout?"), QMessageBox::Ok | QMessageBox::Cancel, parent);
    box->setInformativeText(
        tr("The window size and the width of the project list go back to their defaults."));
    box->button(QMessageBox::Ok)->setText(tr("Reset"));
    // Qt's own translations are not shipped with the product.
    box->button(QMessageBox::Cancel)->setText(tr("Cancel"));
    box->SetConfirmationId(QLatin1String(kResetLayoutId));
    box->SetWidth(440);
    return box;
}

bool KestrelEditMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_menu && event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    return QObject::eventFilter(watched, event);
}

void KestrelEditMenu::ResetLayout()
{
    const QPointer<Tavrin::App::ConfirmationAlertBox> box =
        NewResetLayoutBox(m_application.GetProductSettingsManager(), &m_window);
    const QMessageBox::StandardButton answer = box->Exec();
    delete box;
    if (answer != QMessageBox::Ok) {
        return;
    }
    m_window.showNormal();
    m_window.resize(kDefaultWindowSize);
    if (auto* split = m_window.findChild<QSplitter*>()) {
        split->setSizes(kDefaultSplit);
    }
    m_window.statusBar()->showMessage(tr("The window layout was reset."), kStatusMessageMs);
}

void KestrelEditMenu::PickColour()
{
    const QColor colour = QColorDialog::getColor(Qt::white, &m_window, tr("Pick a Colour"));
    if (colour.isValid()) {
        m_window.statusBar()->showMessage(tr("Picked %1.").arg(colour.name()), kStatusMessageMs);
    }
}

void KestrelEditMenu::AskConfirmationsAgain()
{
    const bool reset =
        Tavrin::App::ConfirmationAlertBox::ResetAll(m_application.GetProductSettingsManager());
    m_window.statusBar()->showMessage(reset ? tr("Every confirmation will be asked again.")
                                            : tr("The confirmations could not be reset."),
                                      kStatusMessageMs);
}

void KestrelEditMenu::Retranslate()
{
    m_menu->setTitle(tr("&Edit"));
    m_resetLayout->setText(tr("&Reset Window Layout…"));
    m_pickColour->setText(tr("Pick a &Colour…"));
    m_askAgain->setText(tr("&Ask All Confirmations Again"));
}

}  // namespace Kestrel
