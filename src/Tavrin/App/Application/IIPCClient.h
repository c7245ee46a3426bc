#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/CommunicationChannel.h>

#include <boost/intrusive_ptr.hpp>

namespace Tavrin {
namespace App {

// Either end of a master/slave pair: IPCManager hands it the channel to the peer and the
// peer's process handle, and knows nothing of what is said on the channel.
class TAVRIN_APP_EXPORT IIPCClient
{
public:
    virtual ~IIPCClient();
    // The channel to the peer; the client keeps its own reference.
    virtual void SetCommunicationChannel(boost::intrusive_ptr<Tavrin::Core::IDataChannel>) = 0;
    // The peer process as a pidfd (readable once the process has ended), 0 when none could be
    // opened. It belongs to the client from then on, which closes it.
    virtual void SetAppHandler(long long processHandle) = 0;
    // The client drops its channel.
    virtual void ChannelClosed() = 0;
};

}  // namespace App
}  // namespace Tavrin
