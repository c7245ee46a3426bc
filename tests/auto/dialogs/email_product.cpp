// A product that offers the newsletter card on its first launch:
//   email_product <store.ini> <address>
// starts on that settings store (the mail store falls back to it); when the card comes up it
// types <address> into it and presses Enter, then closes whatever card is still open. Prints
// "launch <type> card <times shown>" and quits.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/EmailDialog.h>
#include <Tavrin/App/Application/SettingsManager.h>

#include "TestCustomization.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    if (argc < 3) {
        return 64;
    }
    Tavrin::App::Application app(argc, argv, Tavrin::App::Application::AppContext{false});
    auto customization = std::make_shared<Tavrin::Test::Customization>();
    customization->emailDialogEnabled = true;
    customization->productFolder = "EmailProduct";
    app.SetCustomizationManager(customization);
    app.SetSettingsManager(
        std::make_shared<Tavrin::App::SettingsManager>(QString::fromLocal8Bit(argv[1]),
                                                       QSettings::IniFormat));
    int shown = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&shown, argv] {
        auto* card = qobject_cast<Tavrin::App::EmailDialog*>(QApplication::activeModalWidget());
        if (!card || !card->isVisible()) {
            return;
        }
        ++shown;
        auto* edit = card->findChild<QLineEdit*>("emailEdit");
        edit->setText(QString::fromLocal8Bit(argv[2]));
        QTest::keyClick(edit, Qt::Key_Return);
        if (card->isVisible()) {
            card->findChild<QPushButton*>("disagreeButton")->click();
        }
    });
    answer.start(10);
    app.Start();
    std::printf("launch %d card %d\n", static_cast<int>(app.GetLaunchType()), shown);
    std::fflush(stdout);
    return 0;
}
