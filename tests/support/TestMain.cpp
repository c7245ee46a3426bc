// Shared main of the test executables: builds a private sandbox for HOME, the XDG
// directories and the settings paths before Qt reads any of them, then runs GoogleTest
// inside a QApplication.
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QSettings>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

int main(int argc, char** argv)
{
    const std::string sandbox = MakeSandbox();
    PointEnvironmentAt(sandbox);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    PointSettingsAt(QString::fromStdString(sandbox));
    const int result = RUN_ALL_TESTS();
    if (!std::getenv("TAVRIN_KEEP_SANDBOX")) {
        QDir(QString::fromStdString(sandbox)).removeRecursively();
    }
    return result;
}
