#include "Tavrin/App/Application/ApplicationRestarter.h"

#include <Tavrin/App/Application/Application.h>
#include <Tavrin/Util/AlertBox.h>
#include <Tavrin/Util/FileSystem.h>

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPointer>
#include <QProcess>
#include <QStringList>

#include <glog/logging.h>

#include <unistd.h>

namespace Tavrin {
namespace App {

namespace {

// The name becomes a path component under the system's temporary directory; it must not be
// able to point anywhere else, since the directory is swept.
bool StaysBelowTemporaryDir(const QString& folderName)
{
    if (folderName.isEmpty() || QDir::isAbsolutePath(folderName)) {
        return false;
    }
    const QStringList parts =
        QDir::fromNativeSeparators(folderName).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return !parts.isEmpty() && !parts.contains(QStringLiteral(".")) &&
           !parts.contains(QStringLiteral(".."));
}

bool UserAgreesToRestart(const QPixmap& icon)
{
    // On the heap: the parent window may go while the box runs, taking the box with it.
    QPointer<Util::AlertBox> box = new Util::AlertBox(
        Util::AlertBox::Information,
        QCoreApplication::translate("ApplicationRestarter", "Attention"),
        QCoreApplication::translate(
            "ApplicationRestarter",
            "<b>This will restart the application.</b><br>Do you want to continue?"),
        QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow(),
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    if (!icon.isNull()) {
        box->setIconPixmap(icon);
    }
    const bool agreed = box->Exec() == QMessageBox::Ok;
    delete box.data();
    return agreed;
}

}  // namespace

QString ProductTemporaryFilesDir(const QString& temporaryFolderName)
{
    if (!StaysBelowTemporaryDir(temporaryFolderName)) {
        LOG(ERROR) << "No temporary directory for the folder name \""
                   << temporaryFolderName.toStdString() << "\"";
        return QString();
    }
    // The system's temporary directory is shared by every user of the machine: the product's
    // folder there is this user's own, named after the uid, so nobody else can make it first.
    QStringList components =
        QDir::fromNativeSeparators(temporaryFolderName).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    components.first() += QLatin1Char('-') + QString::number(geteuid());
    components << QStringLiteral("temp");
    const QString base = QDir::tempPath();
    QDir().mkpath(base);
    const Util::PrivateDirectory directory = Util::MakePrivateDirectory(base, components);
    if (directory.status == Util::PrivateDirectory::Unsafe) {
        LOG(ERROR) << "Refusing the temporary directory: " << directory.problem.toStdString();
        return QString();
    }
    return QDir::toNativeSeparators(directory.path + QLatin1Char('/'));
}

void ClearProductTemporaryFiles(const QString& temporaryFolderName, int days)
{
    const QString path = ProductTemporaryFilesDir(temporaryFolderName);
    if (path.isEmpty()) {
        return;
    }
    const QDir dir(path);
    LOG(INFO) << "Removing all temporary files from directory " << dir.absolutePath().toStdString();
    Util::RemoveDir(dir.absolutePath(), days, false);
}

void RestartApplication(Enums::WorkingMode mode, const QPixmap& icon, const QString& arguments,
                        const std::function<void()>& clearCrashHistory, const QString& executable)
{
    Application* application = Application::Instance();
    if (!application) {
        LOG(ERROR) << "Restart needs the running Tavrin application object";
        return;
    }
    if (mode == Enums::Interactive && !UserAgreesToRestart(icon)) {
        return;
    }
    if (clearCrashHistory) {
        clearCrashHistory();
    }
    if (!application->TryToQuit()) {
        LOG(INFO) << "Restart cancelled: the application keeps running";
        return;
    }
    const QString program =
        executable.isEmpty() ? QCoreApplication::applicationFilePath() : executable;
    LOG(INFO) << "Restarting " << program.toStdString() << " " << arguments.toStdString();
    // Started while this instance is still shutting down; TryToQuit only ends the event loop.
    if (!QProcess::startDetached(program, QProcess::splitCommand(arguments))) {
        LOG(WARNING) << "The new instance could not be started";
    }
}

}  // namespace App
}  // namespace Tavrin
