#include "TestSupport.h"

#include <Tavrin/Util/AlertBox.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <sys/stat.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace Tavrin {
namespace Test {

void EnterSandbox()
{
    const QByteArray tmp = qgetenv("TMPDIR");
    QByteArray root = (tmp.isEmpty() ? QByteArray("/tmp") : tmp) + "/tavrin-test-XXXXXX";
    if (!mkdtemp(root.data())) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    qputenv("TAVRIN_TEST_SANDBOX", root);
    const auto set = [&root](const char* name, const char* sub) {
        QDir().mkpath(QFile::decodeName(root + sub));
        qputenv(name, root + sub);
    };
    set("HOME", "/home");
    set("XDG_CONFIG_HOME", "/home/.config");
    set("XDG_DATA_HOME", "/home/.local/share");
    set("XDG_CACHE_HOME", "/home/.cache");
    set("XDG_STATE_HOME", "/home/.local/state");
    set("XDG_RUNTIME_DIR", "/run");
    chmod((root + "/run").constData(), 0700);
    set("TMPDIR", "/tmp");
    qunsetenv("LOCALAPPDATA");
    qunsetenv("USERPROFILE");
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void PointSettingsAtSandbox()
{
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, SandboxDir() + "/home/.config");
        QSettings::setPath(format, QSettings::SystemScope, SandboxDir() + "/etc/xdg");
    }
}

void LeaveSandbox()
{
    if (!qEnvironmentVariableIsSet("TAVRIN_KEEP_SANDBOX"))
        QDir(SandboxDir()).removeRecursively();
}

QString SandboxDir()
{
    return QString::fromLocal8Bit(qgetenv("TAVRIN_TEST_SANDBOX"));
}

QString NewTempDir(const QString& hint)
{
    static std::atomic<int> counter{0};
    const QString path =
        QStringLiteral("%1/tmp/%2-%3").arg(SandboxDir(), hint).arg(counter.fetch_add(1));
    QDir().mkpath(path);
    return path;
}

QString HelperExecutable()
{
    const QString fromEnvironment = qEnvironmentVariable("TAVRIN_TEST_HELPER");
    return fromEnvironment.isEmpty() ? QStringLiteral(TAVRIN_TEST_HELPER_PATH) : fromEnvironment;
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QStringList ReadLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("(missing)")};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

AlertBoxAnswerer::AlertBoxAnswerer()
{
    connect(this, &QTimer::timeout, [this] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<Util::AlertBox*>(widget);
            if (box && box->isVisible()) {
                boxes << QString::number(box->icon()) + '|' + box->windowTitle() + '|' +
                             box->text();
                box->button(answer)->click();
            }
        }
    });
    start(20);
}

}  // namespace Test
}  // namespace Tavrin
