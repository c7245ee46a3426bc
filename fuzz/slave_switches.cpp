// A slave's command line (one argument per line of the input): the switches are read whatever
// the arguments hold, and a pipe id that is not a plain name never reaches the file system.
#include "Tavrin/App/Application/SlaveSwitches_p.h"

#include <Tavrin/App/Application/IPCManager.h>
#include <Tavrin/Core/DataPipe.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const Tavrin::App::SlaveSwitches switches =
        Tavrin::App::ReadSlaveSwitches(text.split(QLatin1Char('\n')));
    if (!switches.pipeId.isEmpty()) {
        // Refused names answer false; none may name anything outside the channel directory.
        const QString name =
            Tavrin::App::IPCManager::SLAVE_INPUT_PIPE_TEMPLATE.arg(switches.pipeId);
        Tavrin::Core::DataPipeExists(name.toStdString());
    }
    return 0;
}
