#include "KestrelViewerWindow.h"

#include <Tavrin/App/Application/IPCFocusTransfererSlave.h>

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace Kestrel {

KestrelViewerWindow::KestrelViewerWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("KestrelViewerWindow"));
    setWindowTitle(tr("Kestrel Viewer"));
    m_text = new QLabel(tr("A preview of the selected project. Close this window to go back to "
                           "Tavrin Kestrel."),
                        this);
    m_text->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    resize(360, 160);
}

void KestrelViewerWindow::closeEvent(QCloseEvent* event)
{
    Tavrin::App::IPCFocusTransfererSlave::Instance().GiveFocusToParent();
    event->accept();
}

}  // namespace Kestrel
