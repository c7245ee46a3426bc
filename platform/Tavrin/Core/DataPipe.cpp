#include "Tavrin/Core/DataPipe.h"

#include "Tavrin/Core/Exception.h"
#include "Tavrin/Core/IpcDirectory_p.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace Tavrin {
namespace Core {

IByteDataInput::~IByteDataInput() = default;
IByteDataOutput::~IByteDataOutput() = default;
IByteDataInputEx::~IByteDataInputEx() = default;
IByteDataOutputEx::~IByteDataOutputEx() = default;

namespace {

[[noreturn]] void Fail(const std::string& what, int error)
{
    TAVRIN_THROW(IOException, what + ": " + std::strerror(error));
}

sockaddr_un SocketAddress(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        TAVRIN_THROW(IOException, "The pipe path " + path + " is too long");
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

bool PeerIsUs(int fd)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == geteuid();
}

// Every later read and write on the socket waits at most the limit.
void BoundWaits(int fd)
{
    const auto limit = std::chrono::duration_cast<std::chrono::microseconds>(kPipeWaitLimit);
    timeval timeout{};
    timeout.tv_sec = static_cast<time_t>(limit.count() / 1000000);
    timeout.tv_usec = static_cast<suseconds_t>(limit.count() % 1000000);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

// A descriptor closed with its owner, so that a constructor that throws leaks none.
struct Descriptor
{
    int fd = -1;
    ~Descriptor() { Close(); }
    void Close()
    {
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
    }
};

// The socket behind one pipe, at either end.
class PipeSocket
{
public:
    PipeSocket(const std::string& name, bool create) : m_name(name)
    {
        const std::string directory = IpcDirectory::Path();
        const std::string object = IpcDirectory::ObjectName(name);
        m_path = directory + '/' + object;
        const sockaddr_un address = SocketAddress(m_path);
        if (create) {
            IpcDirectory::SweepStale(directory);
            m_lock = std::make_unique<IpcDirectory::NameLock>(directory, object);
            Listen(address);
        } else {
            Connect(address);
        }
    }

    ~PipeSocket()
    {
        m_fd.Close();
        m_listenFd.Close();
        if (m_lock) {
            unlink(m_path.c_str());  // before the lock goes, so no one sees it ownerless
        }
    }

    PipeSocket(const PipeSocket&) = delete;
    PipeSocket& operator=(const PipeSocket&) = delete;

    const std::string& Name() const { return m_name; }
    bool Ended() const { return m_ended; }

    std::size_t Read(void* buffer, std::size_t size)
    {
        const auto start = std::chrono::steady_clock::now();
        const bool accepting = m_fd.fd < 0;
        const int fd = Connected();
        if (fd < 0 || size == 0) {
            return 0;
        }
        // The wait for the peer to come counts against the same limit as the wait for bytes.
        if (accepting &&
            !WaitForData(kPipeWaitLimit - std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now() - start))) {
            return 0;
        }
        for (;;) {
            const ssize_t count = recv(fd, buffer, size, 0);
            if (count > 0) {
                return static_cast<std::size_t>(count);
            }
            if (count < 0 && errno == EINTR) {
                continue;
            }
            // EAGAIN is the wait limit passing; anything else ends the pipe.
            if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                m_ended = true;
            }
            return 0;
        }
    }

    bool WaitForData(std::chrono::milliseconds wait)
    {
        const int timeout = static_cast<int>(
            std::max(std::chrono::milliseconds(0), std::min(wait, kPipeWaitLimit)).count());
        const int fd = m_ended ? -1 : Connected(timeout);
        if (fd < 0) {
            return m_ended;
        }
        pollfd waiting{fd, POLLIN, 0};
        int ready;
        do {
            ready = poll(&waiting, 1, timeout);
        } while (ready < 0 && errno == EINTR);
        return ready != 0;
    }

    bool Write(const void* data, std::size_t size)
    {
        const int fd = m_ended ? -1 : Connected();
        if (fd < 0) {
            return false;
        }
        const char* bytes = static_cast<const char*>(data);
        std::size_t written = 0;
        while (written < size) {
            const ssize_t count = send(fd, bytes + written, size - written, MSG_NOSIGNAL);
            if (count > 0) {
                written += static_cast<std::size_t>(count);
            } else if (count < 0 && errno == EINTR) {
                continue;
            } else {
                m_ended = m_ended || written > 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
                return false;
            }
        }
        return true;
    }

private:
    void Listen(const sockaddr_un& address)
    {
        m_listenFd.fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_listenFd.fd < 0) {
            Fail("Cannot create the pipe " + m_name, errno);
        }
        if (bind(m_listenFd.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            Fail("Cannot create the pipe " + m_name, errno);
        }
        if (chmod(m_path.c_str(), 0600) != 0 || listen(m_listenFd.fd, 1) != 0) {
            const int error = errno;
            unlink(m_path.c_str());
            Fail("Cannot create the pipe " + m_name, error);
        }
    }

    void Connect(const sockaddr_un& address)
    {
        struct stat info;
        if (lstat(m_path.c_str(), &info) != 0) {
            Fail("Cannot open the pipe " + m_name, errno);
        }
        if (!S_ISSOCK(info.st_mode) || info.st_uid != geteuid()) {
            TAVRIN_THROW(IOException, "The pipe " + m_name + " is not one of ours");
        }
        // Non-blocking, so that a pipe whose one peer has already come fails instead of
        // waiting for room in its queue.
        m_fd.fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (m_fd.fd < 0) {
            Fail("Cannot open the pipe " + m_name, errno);
        }
        if (connect(m_fd.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            Fail("Cannot open the pipe " + m_name, errno);
        }
        if (!PeerIsUs(m_fd.fd)) {
            TAVRIN_THROW(IOException, "The pipe " + m_name + " belongs to another user");
        }
        fcntl(m_fd.fd, F_SETFL, fcntl(m_fd.fd, F_GETFL) & ~O_NONBLOCK);
        BoundWaits(m_fd.fd);
    }

    // The connected socket; a creator accepts its one peer here, waiting at most `timeout` ms.
    int Connected(int timeout = static_cast<int>(kPipeWaitLimit.count()))
    {
        if (m_fd.fd >= 0 || m_listenFd.fd < 0) {
            return m_fd.fd;
        }
        pollfd waiting{m_listenFd.fd, POLLIN, 0};
        int ready;
        do {
            ready = poll(&waiting, 1, timeout);
        } while (ready < 0 && errno == EINTR);
        if (ready <= 0) {
            return -1;
        }
        const int fd = accept4(m_listenFd.fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            return -1;
        }
        if (!PeerIsUs(fd)) {
            close(fd);
            return -1;
        }
        // One peer per pipe: later comers are refused.
        m_listenFd.Close();
        BoundWaits(fd);
        m_fd.fd = fd;
        return fd;
    }

    const std::string m_name;
    std::string m_path;
    std::unique_ptr<IpcDirectory::NameLock> m_lock;
    Descriptor m_listenFd;
    Descriptor m_fd;
    bool m_ended = false;
};

class InputPipe final : public RefCounted<IByteDataInputEx>
{
public:
    InputPipe(const std::string& name, bool create) : m_socket(name, create) {}
    std::size_t Read(void* buffer, std::size_t size) override
    {
        return m_socket.Read(buffer, size);
    }
    bool AtEnd() const override { return m_socket.Ended(); }
    bool WaitForData(std::chrono::milliseconds wait) override { return m_socket.WaitForData(wait); }
    const std::string& Name() const override { return m_socket.Name(); }

private:
    PipeSocket m_socket;
};

class OutputPipe final : public RefCounted<IByteDataOutputEx>
{
public:
    OutputPipe(const std::string& name, bool create) : m_socket(name, create) {}
    bool Write(const void* data, std::size_t size) override { return m_socket.Write(data, size); }
    const std::string& Name() const override { return m_socket.Name(); }

private:
    PipeSocket m_socket;
};

}  // namespace

boost::intrusive_ptr<IByteDataInputEx> DataInputPipe::Create(const std::string& name, bool create)
{
    return new InputPipe(name, create);
}

boost::intrusive_ptr<IByteDataOutputEx> DataOutputPipe::Create(const std::string& name, bool create)
{
    return new OutputPipe(name, create);
}

bool DataPipeExists(const std::string& name)
{
    try {
        return IpcDirectory::IsHeld(IpcDirectory::Path(), IpcDirectory::ObjectName(name));
    } catch (const IOException&) {
        return false;
    }
}

}  // namespace Core
}  // namespace Tavrin
