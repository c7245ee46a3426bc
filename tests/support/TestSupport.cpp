#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cstdlib>

namespace Tavrin {
namespace Test {

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
    return QString::fromLocal8Bit(qgetenv("TAVRIN_TEST_HELPER"));
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

}  // namespace Test
}  // namespace Tavrin
