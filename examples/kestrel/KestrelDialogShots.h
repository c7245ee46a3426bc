#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace Tavrin {
namespace App {
class Application;
}
}  // namespace Tavrin

namespace Kestrel {

// The stock dialogs in an unattended run. It answers the newsletter card of a first launch
// (skips it, as a user in a hurry would) and, asked to, saves screenshots of the about card in
// English, German and Russian, of the newsletter card empty, with an invalid and with a valid
// address, and of the problem report box, in every theme: "<shot>-<dialog>-<theme>.png" beside
// the main window's screenshot "<shot>.png". The theme and language in use are back in place
// afterwards. Each saved path is printed as "dialog screenshot: <path>".
class KestrelDialogShots : public QObject
{
    Q_OBJECT

public:
    KestrelDialogShots(Tavrin::App::Application& application, QWidget& window, QObject* parent);

    // What became of the newsletter card: "(not shown)", "skipped".
    QString EmailCardOutcome() const { return m_emailCardOutcome; }

    // False (with the failing path in `error`) when a screenshot could not be written.
    bool SaveScreenshots(const QString& mainShotPath, QString* error);

private:
    void AnswerEmailCard();
    bool ShootTheme(const QString& base, const QString& theme, QString* error);
    bool ShootAbout(const QString& path, QString* error);
    bool ShootEmailCards(const QString& base, const QString& theme, QString* error);
    bool ShootInformer(const QString& path, QString* error);
    bool Save(QWidget& widget, const QString& path, QString* error);

    Tavrin::App::Application& m_application;
    QWidget& m_window;
    QString m_emailCardOutcome = QStringLiteral("(not shown)");
};

}  // namespace Kestrel
