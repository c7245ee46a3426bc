// The message channel between two processes against the same exchange written in plain C over
// the same kernel objects (a local stream socket per direction): a 17-byte round trip (the size
// of the focus hand-back's close message) and 1 MiB messages, each echoed by a child process.
#include "raw_pingpong.h"

#include <Tavrin/Core/CommunicationChannel.h>
#include <Tavrin/Core/DataPipe.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Tavrin::Core::IDataChannel;

const std::size_t kSmall = 17;
const std::size_t kLarge = 1024 * 1024;

struct ChannelPair
{
    boost::intrusive_ptr<IDataChannel> channel;
    pid_t child = -1;
};

[[noreturn]] void EchoChild(const std::string& down, const std::string& up)
{
    auto channel = Tavrin::Core::CommunicationChannel::Create(
        Tavrin::Core::DataInputPipe::Create(down, false),
        Tavrin::Core::DataOutputPipe::Create(up, false), false);
    std::vector<char> buffer;
    while (!channel->IsClosed()) {
        const std::size_t size = channel->NextMessageSize();
        if (size > 0) {
            buffer.resize(size);
            channel->ReadMessage(buffer.data(), size);
            channel->WriteMessage(buffer.data(), size);
        }
    }
    _exit(0);
}

ChannelPair StartChannel()
{
    const std::string id = std::to_string(getpid());
    const std::string down = "TavrinBenchDown" + id;
    const std::string up = "TavrinBenchUp" + id;
    auto input = Tavrin::Core::DataInputPipe::Create(up, true);
    auto output = Tavrin::Core::DataOutputPipe::Create(down, true);
    ChannelPair pair;
    pair.child = fork();
    if (pair.child == 0) {
        EchoChild(down, up);
    }
    pair.channel = Tavrin::Core::CommunicationChannel::Create(input, output, true);
    return pair;
}

void StopChannel(ChannelPair& pair)
{
    pair.channel.reset();
    waitpid(pair.child, nullptr, 0);
}

void ChannelEcho(benchmark::State& state, std::size_t size)
{
    ChannelPair pair = StartChannel();
    std::vector<char> buffer(size, 'x');
    for (auto _ : state) {
        if (!pair.channel->WriteMessage(buffer.data(), size) ||
            pair.channel->ReadMessage(buffer.data(), size) != size) {
            state.SkipWithError("the echo failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size * 2));
    StopChannel(pair);
}

void RawEcho(benchmark::State& state, std::size_t size)
{
    char directory[] = "/tmp/tavrin-bench-XXXXXX";
    if (!mkdtemp(directory)) {
        state.SkipWithError("no temporary directory");
        return;
    }
    raw_pair pair{};
    if (raw_start(&pair, directory, size) != 0) {
        state.SkipWithError("the raw pair did not start");
        return;
    }
    std::vector<char> buffer(size, 'x');
    for (auto _ : state) {
        if (raw_round_trip(&pair, buffer.data(), size) != 0) {
            state.SkipWithError("the echo failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size * 2));
    raw_stop(&pair);
    const std::string path = directory;
    unlink((path + "/raw-down").c_str());
    unlink((path + "/raw-up").c_str());
    rmdir(directory);
}

void BM_RoundTrip17_Channel(benchmark::State& state)
{
    ChannelEcho(state, kSmall);
}
void BM_RoundTrip17_RawC(benchmark::State& state)
{
    RawEcho(state, kSmall);
}
void BM_Echo1MiB_Channel(benchmark::State& state)
{
    ChannelEcho(state, kLarge);
}
void BM_Echo1MiB_RawC(benchmark::State& state)
{
    RawEcho(state, kLarge);
}

BENCHMARK(BM_RoundTrip17_Channel)->UseRealTime();
BENCHMARK(BM_RoundTrip17_RawC)->UseRealTime();
BENCHMARK(BM_Echo1MiB_Channel)->UseRealTime();
BENCHMARK(BM_Echo1MiB_RawC)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
