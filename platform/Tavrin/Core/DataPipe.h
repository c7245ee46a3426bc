#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/RefCount.h>

#include <boost/intrusive_ptr.hpp>

#include <chrono>
#include <cstddef>
#include <string>

namespace Tavrin {
namespace Core {

// How long one read or write on a pipe waits for its peer (to connect, to send, to make room)
// before it gives up. No wait on a pipe is longer.
constexpr std::chrono::milliseconds kPipeWaitLimit{5000};

// One direction of a pipe, read side.
class TAVRIN_APP_EXPORT IByteDataInput : public Tavrin::IRefCountable
{
public:
    // Copies up to size bytes as soon as some are there; 0 when none came within the wait
    // limit, once the peer has closed its end, or on a failure (AtEnd tells which).
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
    // The peer has closed its end (or its process ended), or the pipe failed: no byte comes.
    virtual bool AtEnd() const = 0;
    // True as soon as a Read would not wait (bytes are there, or the end is), waiting at most
    // `wait` (and never longer than kPipeWaitLimit) for that. Reads nothing.
    virtual bool WaitForData(std::chrono::milliseconds wait) = 0;

protected:
    ~IByteDataInput() override;
};

// One direction of a pipe, write side.
class TAVRIN_APP_EXPORT IByteDataOutput : public Tavrin::IRefCountable
{
public:
    // Writes all size bytes, or returns false: the peer is gone, or did not take them within
    // the wait limit. After a false nothing more is written, since a partial write would
    // leave the peer out of step.
    virtual bool Write(const void* data, std::size_t size) = 0;

protected:
    ~IByteDataOutput() override;
};

class TAVRIN_APP_EXPORT IByteDataInputEx : public IByteDataInput
{
public:
    // The pipe's name as it was given.
    virtual const std::string& Name() const = 0;

protected:
    ~IByteDataInputEx() override;
};

class TAVRIN_APP_EXPORT IByteDataOutputEx : public IByteDataOutput
{
public:
    virtual const std::string& Name() const = 0;

protected:
    ~IByteDataOutputEx() override;
};

// Named pipes between two processes of the same user. A name such as
// "\\.\pipe\TavrinIPCInput17" stands for a local socket named after its last component in the
// user's private channel directory ("$XDG_RUNTIME_DIR/tavrin-ipc", else
// "/tmp/tavrin-ipc-<uid>"), which only the user may enter; the socket is mode 0600.
//
// The creating side (`create` true, the master) makes the socket and returns at once; it
// accepts its one peer on first use, waiting no longer than kPipeWaitLimit. The socket goes
// when the pipe is released; a creator that died leaves it behind, and the next creator of
// this user removes what it left (a lock held while the pipe lives tells who is alive).
// The opening side (`create` false, the slave) connects to an existing socket and fails at once
// when there is none or its creator is gone.
// Failures throw IOException.
class TAVRIN_APP_EXPORT DataInputPipe
{
public:
    static boost::intrusive_ptr<IByteDataInputEx> Create(const std::string& name, bool create);
};

class TAVRIN_APP_EXPORT DataOutputPipe
{
public:
    static boost::intrusive_ptr<IByteDataOutputEx> Create(const std::string& name, bool create);
};

// True when a live creator holds a pipe of that name (objects left by a dead creator do not
// count: the next creator of the name removes them).
TAVRIN_APP_EXPORT bool DataPipeExists(const std::string& name);

}  // namespace Core
}  // namespace Tavrin
