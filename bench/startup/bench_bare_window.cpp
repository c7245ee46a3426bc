// The baseline of bench_startup: the demo's main window in a plain Qt Widgets program, shown
// and quit at once from the event loop, without the library. Like the demo it sets the
// product's icon and shows its splash card until the window appears.
//   bench_bare_window [<theme directory> <translation file>]
// With a theme it does by hand what a product without the library would do to look like the
// demo: registers the theme's resource file, adds its font, fills the font variables of its
// style sheets from fonts.json, sets the sheet on the application and installs the translation.
#include "KestrelArt.h"
#include "KestrelMainWindow.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QIcon>
#include <QJsonDocument>
#include <QJsonObject>
#include <QResource>
#include <QSplashScreen>
#include <QTimer>
#include <QTranslator>

namespace {

QString ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString ThemeStyleSheet()
{
    QFile fonts(QStringLiteral(":/kestrel/fonts.json"));
    fonts.open(QIODevice::ReadOnly);
    const QJsonObject platforms = QJsonDocument::fromJson(fonts.readAll()).object();
    QString sheet = ReadText(QStringLiteral(":/kestrel/style.qss")) +
                    ReadText(QStringLiteral(":/kestrel/fonts_win.qss"));
    for (const char* platform : {"all_platforms", "win"}) {
        const QJsonObject variables =
            platforms.value(QLatin1String(platform)).toObject().value("all_languages").toObject();
        for (auto variable = variables.begin(); variable != variables.end(); ++variable) {
            sheet.replace(QLatin1Char('@') + variable.key(), variable.value().toString());
        }
    }
    return sheet;
}

void ApplyTheme(QApplication& application, const QString& themeDirectory,
                const QString& translationFile, QTranslator& translator)
{
    QResource::registerResource(themeDirectory + QStringLiteral("/kestrel.rcc"));
    QFontDatabase::addApplicationFont(QStringLiteral(":/kestrel/fonts/DejaVuSerif.ttf"));
    application.setStyleSheet(ThemeStyleSheet());
    if (translator.load(translationFile)) {
        QApplication::installTranslator(&translator);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QTranslator translator;
    if (argc == 3) {
        ApplyTheme(application, QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                   translator);
    }
    const QPixmap icon = Kestrel::LoadProductIcon();
    application.setWindowIcon(QIcon(icon));
    QSplashScreen splash(Kestrel::PaintSplashCard(QStringLiteral(BARE_WINDOW_VERSION), icon));
    splash.show();
    Kestrel::KestrelMainWindow window(QStringLiteral(BARE_WINDOW_VERSION));
    QObject::connect(&window, &Kestrel::KestrelMainWindow::QuitRequested, &application,
                     &QApplication::quit);
    window.show();
    splash.close();
    QTimer::singleShot(0, &application, &QApplication::quit);
    return application.exec();
}
