#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QDialog>
#include <QString>

class QEvent;
class QMouseEvent;
class QShowEvent;

namespace Tavrin {
namespace App {

namespace Ui {
class AboutBoxDialog;
}

// The product's about box: a frameless card that stays on top, with the picture of the
// interface language (":/About/about_<locale>.png"; none for a locale without one), the
// version, a home-page link, the support address, the rights notice and the product's own
// link when it has one. A click on the support address copies it to the clipboard instead of
// starting a mail program; "Copy version details" copies what a support request needs. The
// card closes (and deletes itself when shown by ShowAbout) as soon as it loses activation or
// is clicked anywhere but on a link.
//
// Reads the running Application: its look-and-feel manager (locale), its link for
// URLKeys::CUSTOM_ABOUT_URL and its customization manager (support address, caption of the
// product's link, ApplyCustomization). Without them the card shows what it can.
class TAVRIN_APP_EXPORT AboutBoxDialog : public QDialog
{
    Q_OBJECT

public:
    // Shows a new card without blocking; the caller keeps no pointer to it.
    static void ShowAbout(const QString& versionText, const QString& homepageUrl,
                          bool companyNotice, QWidget* parent);

    // `companyNotice` picks the rights notice naming the company over the one naming its web
    // domain.
    AboutBoxDialog(const QString& versionText, const QString& homepageUrl, bool companyNotice,
                   QWidget* parent);
    ~AboutBoxDialog() override;

protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void openEmailClient(const QString& link);
    void setMailToLabelText();

private:
    void ShowPicture();
    void ShowCustomLink();
    void CopyVersionDetails();

    Ui::AboutBoxDialog* m_ui;
    const QString m_versionText;
};

}  // namespace App
}  // namespace Tavrin
