#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QMessageBox>
#include <QString>

class QLabel;
class QShowEvent;

namespace Tavrin {
namespace Util {

// The application's message box. Its layout is QMessageBox's own: a QGridLayout holding the
// text labels and a QDialogButtonBox (code elsewhere looks both up).
class TAVRIN_APP_EXPORT AlertBox : public QMessageBox
{
    Q_OBJECT

public:
    // Picks the icon. Deliberately not QMessageBox::Icon, whose values differ by one.
    enum Level
    {
        Information = 0,
        Warning = 1,
        Critical = 2,
        Question = 3
    };

    AlertBox(Level level, const QString& title, const QString& text,
             QFlags<QMessageBox::StandardButton> buttons, QWidget* parent = nullptr,
             QFlags<Qt::WindowType> flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    // For callers holding the level as a number (0 information, 1 warning, ...). A number
    // that is no level shows no icon.
    AlertBox(int level, const QString& title, const QString& text,
             QFlags<QMessageBox::StandardButton> buttons, QWidget* parent = nullptr,
             QFlags<Qt::WindowType> flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    // A QMessageBox::Icon would silently pass for the wrong level through the int overload.
    AlertBox(QMessageBox::Icon, const QString&, const QString&, QFlags<QMessageBox::StandardButton>,
             QWidget* = nullptr, QFlags<Qt::WindowType> = Qt::Dialog) = delete;

    // Shows the box modally and returns the button the user pressed (Escape presses the
    // escape button), or NoButton when the box was closed otherwise or the button pressed
    // was not a standard one.
    virtual QMessageBox::StandardButton Exec();

    // Makes the box at least this wide; 0 or less drops the minimum again.
    void SetWidth(int pixels);

    // Shows a "Learn more" link above the buttons that opens `url` with
    // QDesktopServices::openUrl. An empty url removes the link.
    void SetLearnMoreLink(const QString& url);

    // The icon file used as window icon by every box created from now on; empty for none.
    static void SetApplicationIcon(const QString& path);
    static QString GetApplicationIcon();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void PlaceExtrasInLayout();
    void PlaceWidthSpacer();
    void PlaceLearnMoreLink();
    void OnLearnMoreActivated();

    int m_width = 0;
    QString m_learnMoreUrl;
    QLabel* m_learnMoreLabel = nullptr;
    QMessageBox::StandardButton m_pressed = QMessageBox::NoButton;
};

}  // namespace Util
}  // namespace Tavrin
