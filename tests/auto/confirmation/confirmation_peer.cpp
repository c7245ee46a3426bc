// A product process for the confirmation and colour tests, on a store file of the test's:
//   confirmation_peer ask <store.ini> <id> <button> <tick 0|1>
//       asks "Delete the project?" (Yes, No, Cancel) under the confirmation id; a box that
//       comes up gets the check box set as told and <button> pressed. Prints
//       "shown <answer>" or "remembered <answer>" (the answer as a number).
//   confirmation_peer colours <store.ini> [<colour>...]
//       loads the custom colours through a ColorDialogHelper and prints them, one line of
//       sixteen "#rrggbb" names; then sets the given colours in slots 0, 1, ... and lets the
//       helper save them on its way out.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ColorDialogHelper.h>
#include <Tavrin/App/Application/ConfirmationAlertBox.h>
#include <Tavrin/App/Application/SettingsManager.h>

#include "TestSupport.h"

#include <QColorDialog>
#include <QMap>
#include <QStringList>

#include <cstdio>
#include <memory>

namespace {

using Tavrin::App::Application;
using Tavrin::App::SettingsManager;

void Print(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

int Ask(const QStringList& arguments)
{
    const auto store = std::make_shared<SettingsManager>(arguments[2], QSettings::IniFormat);
    Tavrin::App::ConfirmationAlertBox box(store, Tavrin::Util::AlertBox::Question, "Kestrel",
                                          "Delete the project?",
                                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.SetConfirmationId(arguments[3]);
    box.SetDontConfirm(arguments[5] == "1");
    Tavrin::Test::AlertBoxAnswerer answerer;
    const QMap<QString, QMessageBox::StandardButton> buttons{
        {"Yes", QMessageBox::Yes}, {"No", QMessageBox::No}, {"Cancel", QMessageBox::Cancel}};
    const bool ok = buttons.contains(arguments[4]);
    answerer.answer = buttons.value(arguments[4], QMessageBox::Cancel);
    const QMessageBox::StandardButton answer = box.Exec();
    Print(QStringLiteral("%1 %2")
              .arg(answerer.boxes.isEmpty() ? "remembered" : "shown")
              .arg(static_cast<int>(answer)));
    return ok ? 0 : 64;
}

int Colours(int argc, char** argv)
{
    Application application(argc, argv, Application::AppContext{false});
    const QStringList arguments = QCoreApplication::arguments();
    application.SetSettingsManager(
        std::make_shared<SettingsManager>(arguments[2], QSettings::IniFormat));
    Tavrin::App::ColorDialogHelper helper;
    QStringList loaded;
    for (int i = 0; i < QColorDialog::customCount(); ++i) {
        loaded << QColorDialog::customColor(i).name();
    }
    Print(loaded.join(' '));
    for (int i = 3; i < arguments.size(); ++i) {
        QColorDialog::setCustomColor(i - 3, QColor(arguments[i]));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const QString command = argc > 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (command == "colours") {
        return Colours(argc, argv);
    }
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (command == "ask" && arguments.size() == 6) {
        return Ask(arguments);
    }
    std::fprintf(stderr, "unknown command\n");
    return 64;
}
