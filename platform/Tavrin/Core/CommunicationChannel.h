#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/DataPipe.h>
#include <Tavrin/Core/RefCount.h>

#include <boost/intrusive_ptr.hpp>

#include <chrono>
#include <cstddef>

namespace Tavrin {
namespace Core {

// The largest message a channel carries. A peer announcing more is out of step (or hostile):
// the channel breaks instead of allocating for it.
constexpr std::size_t kMaxChannelMessageSize = 64u * 1024u * 1024u;

// A two-way message channel: messages arrive whole, in order, with their length, and carry
// no terminating zero. Meant for one thread at a time.
class TAVRIN_APP_EXPORT IDataChannel : public Tavrin::IRefCountable
{
public:
    // Sends one message of 1 to kMaxChannelMessageSize bytes. False for an empty or
    // oversized message, when the peer is gone or does not take it within kPipeWaitLimit.
    virtual bool WriteMessage(const void* data, std::size_t size) = 0;
    // Waits for the next message and returns its size, 0 when none came within
    // kPipeWaitLimit, once the peer has closed its end or its process ended, and from the
    // moment the channel broke (see IsClosed). Asking again without reading returns the same size.
    virtual std::size_t NextMessageSize() = 0;
    // Takes the next message (waiting for it as NextMessageSize does) and copies up to size
    // bytes of it into buffer; the rest of a longer message is dropped. Returns the bytes
    // copied. A message cut short by its peer breaks the channel and returns 0.
    virtual std::size_t ReadMessage(void* buffer, std::size_t size) = 0;
    // True as soon as NextMessageSize would not wait: a message has begun to arrive, or the
    // channel is closed. Waits at most `wait` (never longer than kPipeWaitLimit); reads nothing,
    // so a caller can look for messages without blocking its thread.
    virtual bool HasMessage(std::chrono::milliseconds wait) = 0;
    // True once no message can come any more: the peer closed its end, or the incoming bytes
    // broke the framing (logged as a WARNING).
    virtual bool IsClosed() const = 0;

protected:
    ~IDataChannel() override;
};

class TAVRIN_APP_EXPORT CommunicationChannel
{
public:
    // Joins the two directions of a pipe pair. The flag is accepted for either call pattern
    // (master or slave); the pipes themselves know which side they are, so it changes nothing.
    // Throws IOException for a missing pipe.
    static boost::intrusive_ptr<IDataChannel> Create(boost::intrusive_ptr<IByteDataInput> input,
                                                     boost::intrusive_ptr<IByteDataOutput> output,
                                                     bool flag);
};

}  // namespace Core
}  // namespace Tavrin
