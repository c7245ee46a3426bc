#include "LaunchOptions.h"

#include <QCoreApplication>
#include <QDir>

namespace Kestrel {

namespace {

const char kOffscreenSmoke[] = "--offscreen-smoke";
const char kQuitAfterStart[] = "--quit-after-start";
const char kScreenshot[] = "--screenshot";

}  // namespace

LaunchOptions LaunchOptions::Parse(int argc, const char* const* argv)
{
    LaunchOptions options;
    bool screenshotGiven = false;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String(kOffscreenSmoke)) {
            options.offscreenSmoke = true;
        } else if (argument == QLatin1String(kQuitAfterStart)) {
            options.quitAfterStart = true;
        } else if (argument.startsWith(QLatin1String(kScreenshot))) {
            const QString rest = argument.mid(int(sizeof(kScreenshot)) - 1);  // "=PATH"
            if (!rest.startsWith(QLatin1Char('=')) || rest.size() == 1) {
                options.error = QCoreApplication::translate(
                    "Kestrel::LaunchOptions", "--screenshot needs a file: --screenshot=PATH");
                return options;
            }
            options.screenshotPath = rest.mid(1);
            screenshotGiven = true;
        }
    }
    if (screenshotGiven && !options.WantsScreenshot()) {
        options.error = QCoreApplication::translate(
            "Kestrel::LaunchOptions",
            "--screenshot is only taken with --offscreen-smoke and without --quit-after-start");
    }
    return options;
}

QString LaunchOptions::ScreenshotPath() const
{
    const QString path = screenshotPath.isEmpty()
                             ? QDir::temp().filePath(QStringLiteral("tavrin-kestrel.png"))
                             : screenshotPath;
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

void UseOffscreenPlatformIfNeeded(const LaunchOptions& options)
{
    const bool noDisplay =
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if ((options.offscreenSmoke || noDisplay) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

}  // namespace Kestrel
