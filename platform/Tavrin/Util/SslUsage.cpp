#include "Tavrin/Util/SslUsage.h"

#include <atomic>

namespace Tavrin {
namespace Util {

namespace {

std::atomic<bool> g_useSsl{true};

}  // namespace

void SetDefaultSslUsage(bool useSsl)
{
    g_useSsl.store(useSsl);
}

bool GetDefaultSslUsage()
{
    return g_useSsl.load();
}

QString GetDefaultUrlScheme()
{
    return GetDefaultSslUsage() ? QStringLiteral("https") : QStringLiteral("http");
}

}  // namespace Util
}  // namespace Tavrin
