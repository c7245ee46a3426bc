#include "KestrelApplication.h"

namespace Kestrel {

KestrelApplication::KestrelApplication(int& argc, char** argv) : Application(argc, argv) {}

bool KestrelApplication::TryToQuitImpl()
{
    QCoreApplication::quit();
    return true;
}

}  // namespace Kestrel
