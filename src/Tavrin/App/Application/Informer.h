#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Util/AlertBox.h>

#include <QMessageBox>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace Tavrin {
namespace App {

// Shows information boxes whose links behave: a web link opens through
// QDesktopServices::openUrl (so the application's URL handler and the preferred browser take
// it), an e-mail link ("mailto:" anywhere in it) is copied to the clipboard without the prefix
// and a tooltip says so, since many users have no mail program set up.
//
// One box at a time: ExecDialog called again while a box of this informer is on screen (from
// a timer or a link inside the running box) shows nothing, writes a WARNING line and returns
// NoButton. Close() closes the box on screen from outside. Destroying the informer while its
// box runs is safe: the box stays with its parent widget, ExecDialog returns its button and
// touches nothing of the destroyed informer.
class TAVRIN_APP_EXPORT Informer : public QObject
{
    Q_OBJECT

public:
    // The provider is asked for the parent widget of every box; it may be empty (top-level
    // boxes). The informer itself becomes a child of what the provider returns now.
    explicit Informer(const std::function<QWidget*()>& parentProvider = {});
    ~Informer() override;

    // Shows `text` (rich text allowed) modally with an Ok button, `learnMoreLink` under it when
    // not empty, and the pixmap at `iconPath` (the library's large icon when empty). Returns
    // the button that closed the box.
    QFlags<QMessageBox::StandardButton> ExecDialog(const QString& text,
                                                   const QString& learnMoreLink,
                                                   const QString& iconPath,
                                                   Util::AlertBox::Level level);

    // Closes the box on screen; true when there is none or it agreed to close.
    bool Close();

private slots:
    void OnDialogLinkActivated(const QString& link);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace App
}  // namespace Tavrin
