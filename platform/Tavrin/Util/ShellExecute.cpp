#include "Tavrin/Util/ShellExecute.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QUrl>

#include <glog/logging.h>

namespace Tavrin {
namespace Util {

namespace {

bool StartDetached(const QString& program, const QStringList& arguments)
{
    if (QProcess::startDetached(program, arguments)) {
        return true;
    }
    LOG(WARNING) << "Cannot start " << program.toStdString();
    return false;
}

// Without a GUI application, QDesktopServices has no platform to ask; xdg-open is what the
// platform would have used.
bool OpenWithDefaultApplication(const QString& path)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
    return StartDetached(QStringLiteral("xdg-open"), {path});
}

}  // namespace

bool ShellExecuteDefault(const QString& file)
{
    if (file.isEmpty()) {
        return false;
    }
    const QFileInfo info(QDir::current(), file);
    if (!info.exists()) {
        return false;
    }
    const QString path = info.absoluteFilePath();
    if (info.isFile() && info.isExecutable()) {
        return StartDetached(path, {});
    }
    return OpenWithDefaultApplication(path);
}

}  // namespace Util
}  // namespace Tavrin
