#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace Tavrin {
namespace Test {

// Creates this process's private sandbox and points HOME, the XDG directories and TMPDIR
// at it. Call before the Qt application object exists.
void EnterSandbox();
// Points every QSettings path into the sandbox. Call once the application object exists.
void PointSettingsAtSandbox();
// Removes the sandbox (kept when TAVRIN_KEEP_SANDBOX is set).
void LeaveSandbox();

// Root of this test process's private sandbox: HOME, the XDG directories and every
// QSettings path point below it, so no test touches the real user's files.
QString SandboxDir();

// A new empty directory inside the sandbox.
QString NewTempDir(const QString& hint = QStringLiteral("dir"));

// The helper program that tests start as a separate process.
QString HelperExecutable();

// Writes bytes to a file, creating its directory; returns false when that fails.
bool WriteFile(const QString& path, const QByteArray& bytes);
// A file's non-empty lines; {"(missing)"} when it cannot be read.
QStringList ReadLines(const QString& path);

// While it lives, presses `answer` in every alert box that comes up, noting
// "<icon>|<title>|<text>" in `boxes`.
struct AlertBoxAnswerer : QTimer
{
    AlertBoxAnswerer();
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    QStringList boxes;
};

}  // namespace Test
}  // namespace Tavrin
