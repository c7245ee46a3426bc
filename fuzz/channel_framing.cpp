// The byte stream a channel's reading end sees, delivered in pieces of varying size: every
// message comes out with the size it announced, the bytes taken never exceed the bytes given,
// and the reader always reaches an end.
#include <Tavrin/Core/CommunicationChannel.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace Tavrin::Core;

namespace {

class BytesInput final : public Tavrin::RefCounted<IByteDataInput>
{
public:
    BytesInput(const std::uint8_t* data, std::size_t size, std::size_t piece)
        : m_data(data), m_size(size), m_piece(piece)
    {
    }
    std::size_t Read(void* buffer, std::size_t size) override
    {
        const std::size_t count = std::min({size, m_piece, m_size - m_offset});
        std::memcpy(buffer, m_data + m_offset, count);
        m_offset += count;
        return count;
    }
    bool AtEnd() const override { return m_offset == m_size; }
    bool WaitForData(std::chrono::milliseconds) override { return true; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_piece;
    std::size_t m_offset = 0;
};

class NoOutput final : public Tavrin::RefCounted<IByteDataOutput>
{
public:
    bool Write(const void*, std::size_t) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = 1 + data[0] * 97u;  // 1 byte to about 24 KiB per read
    auto channel =
        CommunicationChannel::Create(new BytesInput(data + 1, size - 1, piece), new NoOutput, true);
    std::vector<char> buffer(4096);
    std::size_t taken = 0;
    while (const std::size_t announced = channel->NextMessageSize()) {
        const std::size_t copied = channel->ReadMessage(buffer.data(), buffer.size());
        if (copied == 0) {
            continue;  // cut short: the channel broke and the next call ends the loop
        }
        taken += 8 + announced;
        if (copied != std::min(announced, buffer.size()) || taken > size - 1) {
            std::abort();
        }
    }
    if (!channel->IsClosed()) {
        std::abort();
    }
    return 0;
}
