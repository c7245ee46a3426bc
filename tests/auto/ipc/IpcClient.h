#pragma once
// The IPC client that both ends of the channel tests use.
#include <Tavrin/App/Application/IIPCClient.h>
#include <Tavrin/App/Application/IPCManager.h>
#include <Tavrin/Core/CommunicationChannel.h>

#include <string>

#include <poll.h>
#include <unistd.h>

struct Client : Tavrin::App::IIPCClient
{
    ~Client() override
    {
        if (handle > 0) {
            close(static_cast<int>(handle));
        }
    }
    void SetCommunicationChannel(boost::intrusive_ptr<Tavrin::Core::IDataChannel> c) override
    {
        channel = c;
    }
    void SetAppHandler(long long h) override { handle = h; }
    void ChannelClosed() override { channel.reset(); }

    // Waits (at most `waitMs`) until the slave process has ended.
    bool SlaveEnded(int waitMs = 30000) const
    {
        pollfd ended{static_cast<int>(handle), POLLIN, 0};
        return handle > 0 && poll(&ended, 1, waitMs) == 1;
    }

    boost::intrusive_ptr<Tavrin::Core::IDataChannel> channel;
    long long handle = -1;
};

// The next message, whole; empty when none came.
inline std::string Receive(Tavrin::Core::IDataChannel& channel)
{
    std::string message(channel.NextMessageSize(), '\0');
    message.resize(channel.ReadMessage(&message[0], message.size()));
    return message;
}
