// The companion program of Tavrin Kestrel, started by it from File > Open Viewer:
//   tavrin-kestrel-viewer [--locale=<name>] [--smoke-close] /MasterPipeId=<id> /ProcessId=<pid>
// --locale picks the interface language (the product passes its own); --smoke-close closes the
// window as soon as it is up, for unattended runs. Without a display it runs offscreen.
#include "KestrelViewerWindow.h"

#include <Tavrin/App/Application/IPCFocusTransfererSlave.h>
#include <Tavrin/Util/QtLogHandler.h>

#include <QApplication>
#include <QRegularExpression>
#include <QTimer>
#include <QTranslator>

#include <glog/logging.h>

namespace {

QString OptionValue(const QStringList& arguments, const QString& option)
{
    for (const QString& argument : arguments) {
        if (argument.startsWith(option)) {
            return argument.mid(option.size());
        }
    }
    return QString();
}

// The product's translations, from its resources beside this program.
void InstallTranslations(QApplication& application, const QString& locale, QTranslator& translator)
{
    static const QRegularExpression localeName(QStringLiteral("^[a-z]{2,3}_[A-Z]{2}$"));
    if (!localeName.match(locale).hasMatch()) {
        return;
    }
    const QString directory =
        QApplication::applicationDirPath() + QStringLiteral("/resources/locales/") + locale;
    if (translator.load(QStringLiteral("kestrel_") + locale, directory)) {
        application.installTranslator(&translator);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    FLAGS_logtostderr = true;
    google::InitGoogleLogging(argv[0]);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    // Qt's messages go to the log; the offscreen platform's complaint that it cannot pass size
    // hints on says nothing anybody could act on.
    Tavrin::Util::QtLogHandler::GetInstance().AddFilter([](const QString& message) {
        return !message.contains(QLatin1String("does not support propagateSizeHints"));
    });
    Tavrin::Util::QtLogHandler::GetInstance().Install();
    const QStringList arguments = QApplication::arguments();
    const bool smokeClose = arguments.contains(QStringLiteral("--smoke-close"));
    if (smokeClose) {
        FLAGS_minloglevel = google::GLOG_WARNING;  // the product's report tells the exchange
    }
    QTranslator translator;
    InstallTranslations(application, OptionValue(arguments, QStringLiteral("--locale=")),
                        translator);

    // Joins the master now, so that its end is noticed while the viewer runs.
    Tavrin::App::IPCFocusTransfererSlave::Instance();
    Kestrel::KestrelViewerWindow window;
    window.show();
    if (smokeClose) {
        QTimer::singleShot(0, &window, &QWidget::close);
    }
    return application.exec();
}
