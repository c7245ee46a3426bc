#include "Tavrin/Core/CommunicationChannel.h"

#include "Tavrin/Core/Exception.h"

#include <glog/logging.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace Tavrin {
namespace Core {

IDataChannel::~IDataChannel() = default;

namespace {

// Each message travels as its length (8 bytes, little-endian) followed by its bytes.
constexpr std::size_t kHeaderSize = 8;
// Messages up to this size go out in one write together with their header, and incoming
// bytes are read in chunks of it, so a short exchange costs one system call each way.
constexpr std::size_t kChunkSize = 64 * 1024;

void PutHeader(char* header, std::uint64_t size)
{
    for (std::size_t i = 0; i < kHeaderSize; ++i) {
        header[i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    }
}

std::uint64_t GetHeader(const char* header)
{
    std::uint64_t size = 0;
    for (std::size_t i = 0; i < kHeaderSize; ++i) {
        size |= static_cast<std::uint64_t>(static_cast<unsigned char>(header[i])) << (8 * i);
    }
    return size;
}

class Channel final : public RefCounted<IDataChannel>
{
public:
    Channel(boost::intrusive_ptr<IByteDataInput> input,
            boost::intrusive_ptr<IByteDataOutput> output)
        : m_input(std::move(input)), m_output(std::move(output)), m_buffer(kChunkSize)
    {
    }

    bool WriteMessage(const void* data, std::size_t size) override
    {
        if (size == 0 || size > kMaxChannelMessageSize || (!data && size > 0)) {
            return false;
        }
        if (size + kHeaderSize <= kChunkSize) {
            m_outgoing.resize(kHeaderSize + size);
            PutHeader(m_outgoing.data(), size);
            std::memcpy(m_outgoing.data() + kHeaderSize, data, size);
            return m_output->Write(m_outgoing.data(), m_outgoing.size());
        }
        char header[kHeaderSize];
        PutHeader(header, size);
        return m_output->Write(header, kHeaderSize) && m_output->Write(data, size);
    }

    std::size_t NextMessageSize() override
    {
        if (m_broken) {
            return 0;
        }
        if (m_pending > 0) {
            return m_pending;
        }
        while (Buffered() < kHeaderSize) {
            if (!Fill()) {
                if (Buffered() > 0 && !m_broken) {
                    Break("a message header was cut short");
                }
                return 0;
            }
        }
        const std::uint64_t size = GetHeader(m_buffer.data() + m_begin);
        if (size == 0 || size > kMaxChannelMessageSize) {
            Break("a message announced " + std::to_string(size) + " bytes");
            return 0;
        }
        m_begin += kHeaderSize;
        m_pending = static_cast<std::size_t>(size);
        return m_pending;
    }

    std::size_t ReadMessage(void* buffer, std::size_t size) override
    {
        if (NextMessageSize() == 0) {
            return 0;
        }
        const std::size_t wanted = std::min(size, m_pending);
        char* target = static_cast<char*>(buffer);
        std::size_t copied = 0;
        // Buffered bytes first, then straight from the pipe into the caller's buffer.
        while (m_pending > 0) {
            if (Buffered() == 0) {
                if (copied < wanted && m_pending >= kChunkSize) {
                    const std::size_t count = m_input->Read(target + copied, wanted - copied);
                    if (count == 0) {
                        Break("a message was cut short");
                        return 0;
                    }
                    copied += count;
                    m_pending -= count;
                    continue;
                }
                if (!Fill()) {
                    Break("a message was cut short");
                    return 0;
                }
            }
            const std::size_t take = std::min(Buffered(), m_pending);
            const std::size_t copy = copied < wanted ? std::min(take, wanted - copied) : 0;
            if (copy > 0) {
                std::memcpy(target + copied, m_buffer.data() + m_begin, copy);
                copied += copy;
            }
            m_begin += take;
            m_pending -= take;
        }
        return copied;
    }

    bool HasMessage(std::chrono::milliseconds wait) override
    {
        return m_broken || m_pending > 0 || Buffered() > 0 || m_input->WaitForData(wait);
    }

    bool IsClosed() const override { return m_broken || (Buffered() == 0 && m_input->AtEnd()); }

private:
    std::size_t Buffered() const { return m_end - m_begin; }

    // Reads more bytes behind the buffered ones; false when none came.
    bool Fill()
    {
        if (m_begin > 0) {
            std::memmove(m_buffer.data(), m_buffer.data() + m_begin, Buffered());
            m_end -= m_begin;
            m_begin = 0;
        }
        const std::size_t count = m_input->Read(m_buffer.data() + m_end, m_buffer.size() - m_end);
        m_end += count;
        return count > 0;
    }

    void Break(const std::string& reason)
    {
        LOG(WARNING) << "The message channel is out of step and no longer used: " << reason;
        m_broken = true;
        m_pending = 0;
        m_begin = m_end = 0;
    }

    boost::intrusive_ptr<IByteDataInput> m_input;
    boost::intrusive_ptr<IByteDataOutput> m_output;
    std::vector<char> m_buffer;
    std::vector<char> m_outgoing;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    std::size_t m_pending = 0;  // bytes of the current message not taken yet
    bool m_broken = false;
};

}  // namespace

boost::intrusive_ptr<IDataChannel> CommunicationChannel::Create(
    boost::intrusive_ptr<IByteDataInput> input, boost::intrusive_ptr<IByteDataOutput> output,
    bool /*flag*/)
{
    if (!input || !output) {
        TAVRIN_THROW(IOException, "A message channel needs both of its pipes");
    }
    return new Channel(std::move(input), std::move(output));
}

}  // namespace Core
}  // namespace Tavrin
