#include "TestSupport.h"

#include <Tavrin/Util/AlertBox.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace Tavrin {
namespace Test {

namespace {

std::string g_sandbox;

std::string MakeSandbox()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tavrin-test-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    return pattern;
}

void PointEnvironmentAt(const std::string& root)
{
    const auto set = [&root](const char* name, const char* sub) {
        const std::string path = root + sub;
        QDir().mkpath(QString::fromStdString(path));
        setenv(name, path.c_str(), 1);
    };
    setenv("TAVRIN_TEST_SANDBOX", root.c_str(), 1);
    set("HOME", "/home");
    set("XDG_CONFIG_HOME", "/home/.config");
    set("XDG_DATA_HOME", "/home/.local/share");
    set("XDG_CACHE_HOME", "/home/.cache");
    set("XDG_STATE_HOME", "/home/.local/state");
    set("XDG_RUNTIME_DIR", "/run");
    chmod((root + "/run").c_str(), 0700);
    set("TMPDIR", "/tmp");
    unsetenv("LOCALAPPDATA");
    unsetenv("USERPROFILE");
    if (!std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
}

void PointSettingsAt(const QString& root)
{
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, root + QStringLiteral("/home/.config"));
        QSettings::setPath(format, QSettings::SystemScope, root + QStringLiteral("/etc/xdg"));
    }
}

}  // namespace

void EnterSandbox()
{
    g_sandbox = MakeSandbox();
    PointEnvironmentAt(g_sandbox);
}

void PointSettingsAtSandbox()
{
    PointSettingsAt(QString::fromStdString(g_sandbox));
}

void LeaveSandbox()
{
    if (!std::getenv("TAVRIN_KEEP_SANDBOX")) {
        QDir(QString::fromStdString(g_sandbox)).removeRecursively();
    }
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
    const QByteArray fromEnvironment = qgetenv("TAVRIN_TEST_HELPER");
    return QString::fromLocal8Bit(fromEnvironment.isEmpty() ? QByteArray(TAVRIN_TEST_HELPER_PATH)
                                                            : fromEnvironment);
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
    if (!file.open(QIODevice::ReadOnly)) {
        return {QStringLiteral("(missing)")};
    }
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
