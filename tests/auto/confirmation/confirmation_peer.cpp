// A product process for the confirmation and colour tests, on a store file of the test's:
//   confirmation_peer ask <store.ini> <id> <button> <tick 0|1>
//       asks "Delete the project?" (Yes, No, Cancel) under the confirmation id; a box that
//       comes up gets the check box set as told and <button> pressed. Prints
//       "shown <answer>" or "remembered <answer>" (the answer as a number).
//   confirmation_peer colours <store.ini>... [#<colour>...]
//       for each store in turn: starts from Qt's white custom colours, loads them through a
//       ColorDialogHelper on that store and prints them, one line of sixteen "#rrggbb" names;
//       then sets the given colours in slots 0, 1, ... and lets the helper save them.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ColorDialogHelper.h>
#include <Tavrin/App/Application/ConfirmationAlertBox.h>
#include <Tavrin/App/Application/SettingsManager.h>

#include "TestSupport.h"

#include <QColorDialog>
#include <QMap>
#include <QRegularExpression>
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
    answerer.answer = buttons.value(arguments[4], QMessageBox::Cancel);
    const int answer = box.Exec();
    Print(
        QStringLiteral("%1 %2").arg(answerer.boxes.isEmpty() ? "remembered" : "shown").arg(answer));
    return 0;
}

int Colours(int argc, char** argv)
{
    Application application(argc, argv, Application::AppContext{false});
    const QStringList arguments = QCoreApplication::arguments().mid(2);
    const QStringList colours = arguments.filter(QRegularExpression("^#"));
    for (const QString& store : arguments) {
        if (colours.contains(store)) {
            continue;
        }
        application.SetSettingsManager(
            std::make_shared<SettingsManager>(store, QSettings::IniFormat));
        for (int i = 0; i < QColorDialog::customCount(); ++i) {
            QColorDialog::setCustomColor(i, Qt::white);  // Qt's own start
        }
        Tavrin::App::ColorDialogHelper helper;
        QStringList loaded;
        for (int i = 0; i < QColorDialog::customCount(); ++i) {
            loaded << QColorDialog::customColor(i).name();
        }
        Print(loaded.join(' '));
        for (int i = 0; i < colours.size(); ++i) {
            QColorDialog::setCustomColor(i, QColor(colours[i]));
        }
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
