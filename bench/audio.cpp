// Sound decoding and mixing.
//
// Decoding 30 s of Ogg Vorbis (44100 Hz stereo, encoded by libvorbisenc): Tremor, the integer
// decoder the Ogg player uses, next to libvorbis's float decoder on the same file, and the Ogg
// player's whole realize (temporary file, Tremor, the PCM buffer grown in 4096-byte steps).
// Mixing: one second of output of the pumped headless sink with 0, 1 and 4 wave-out players
// looping, so the per-player cost shows beside the fixed cost of the sink.
#include <benchmark/benchmark.h>

#include <tremor/ivorbisfile.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include <unistd.h>

#include "host/audio/audio.h"
#include "platform/media/media_support.h"
#include "platform/media/sound_player_ogg.h"
#include "platform/media/sound_player_wave.h"
#include "runtime/core/application.h"
#include "tests/fixtures/vorbis_reference.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr uint32_t kSeconds = 30;

const std::vector<uint8_t>& oggFile() {
    static const std::vector<uint8_t> file =
        fixtures::oggVorbisFile(fixtures::stereoTones(440, kRate, kRate * kSeconds, 9000), 2, kRate, 0.4f);
    return file;
}

bool haveOgg(benchmark::State& state) {
    std::string why;
    if (fixtures::vorbisReferenceAvailable(&why) && !oggFile().empty()) return true;
    state.SkipWithError(("no reference Vorbis codec: " + why).c_str());
    return false;
}

struct Memory {
    const std::vector<uint8_t>* bytes;
    std::size_t pos;
};

size_t readMemory(void* ptr, size_t size, size_t count, void* source) {
    Memory* m = static_cast<Memory*>(source);
    if (size == 0) return 0;
    std::size_t n = std::min(size * count, m->bytes->size() - m->pos) / size;
    std::memcpy(ptr, m->bytes->data() + m->pos, n * size);
    m->pos += n * size;
    return n;
}
int seekMemory(void* source, ogg_int64_t offset, int whence) {
    Memory* m = static_cast<Memory*>(source);
    int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? int64_t(m->pos) : int64_t(m->bytes->size());
    if (base + offset < 0 || base + offset > int64_t(m->bytes->size())) return -1;
    m->pos = std::size_t(base + offset);
    return 0;
}
long tellMemory(void* source) { return long(static_cast<Memory*>(source)->pos); }

// Seconds of sound decoded or mixed per second of work.
void reportSpeed(benchmark::State& state, double audioSecondsPerIteration) {
    state.counters["x_realtime"] =
        benchmark::Counter(audioSecondsPerIteration * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_OggDecodeTremor(benchmark::State& state) {
    if (!haveOgg(state)) return;
    std::vector<char> chunk(4096);
    std::size_t bytes = 0;
    for (auto _ : state) {
        Memory memory{&oggFile(), 0};
        OggVorbis_File decoder;
        ov_open_callbacks(&memory, &decoder, nullptr, 0, ov_callbacks{readMemory, seekMemory, nullptr, tellMemory});
        int section = 0;
        bytes = 0;
        for (long n; (n = ov_read(&decoder, chunk.data(), int(chunk.size()), &section)) > 0;) bytes += std::size_t(n);
        ov_clear(&decoder);
        benchmark::DoNotOptimize(bytes);
    }
    if (bytes != std::size_t(kRate) * kSeconds * 4) state.SkipWithError("Tremor decoded a different length");
    reportSpeed(state, kSeconds);
}
BENCHMARK(BM_OggDecodeTremor)->Unit(benchmark::kMillisecond);

void BM_OggDecodeLibvorbisFloat(benchmark::State& state) {
    if (!haveOgg(state)) return;
    std::vector<int16_t> pcm;
    for (auto _ : state) {
        int channels = 0;
        int32_t rate = 0;
        fixtures::decodeOggVorbisReference(oggFile(), pcm, channels, rate);
        benchmark::DoNotOptimize(pcm.data());
    }
    if (pcm.size() != std::size_t(kRate) * kSeconds * 2) state.SkipWithError("libvorbis decoded a different length");
    reportSpeed(state, kSeconds);
}
BENCHMARK(BM_OggDecodeLibvorbisFloat)->Unit(benchmark::kMillisecond);

struct Runtime {
    std::filesystem::path temp = std::filesystem::temp_directory_path() / ("bench_audio_" + std::to_string(::getpid()));
    Runtime() {
        mrc::ApplicationImpl::getInstance()->initRuntime(false, 4u << 20, 8u << 20);
        mrc::media::setTemporaryFolder(temp);
        host::audioInit(host::AudioBackend::Headless, {uint32_t(kRate), false, 0});
    }
    ~Runtime() {
        mrc::ApplicationImpl::getInstance()->shutdownRuntime();  // closes the players
        host::audioShutdown();
        mrc::media::setTemporaryFolder({});
        std::filesystem::remove_all(temp);
    }
};

void BM_SoundPlayerOggRealize(benchmark::State& state) {
    if (!haveOgg(state)) return;
    Runtime runtime;
    uint32_t pcmBytes = 0;
    for (auto _ : state) {
        mrc::SoundPlayerOGG* player = mrc::SoundPlayerOGG::newInstance(oggFile().data(), uint32_t(oggFile().size()));
        player->realize();
        pcmBytes = player->pcmDataLength();
        player->close();
    }
    if (pcmBytes != uint32_t(kRate) * kSeconds * 4) state.SkipWithError("the player decoded a different length");
    reportSpeed(state, kSeconds);
}
BENCHMARK(BM_SoundPlayerOggRealize)->Unit(benchmark::kMillisecond);

// A canonical WAVE file of a tone, 16-bit.
std::vector<uint8_t> waveFile(uint16_t channels, uint32_t rate, uint32_t frames) {
    std::vector<int16_t> pcm = fixtures::stereoTones(330, int32_t(rate), frames, 6000);
    if (channels == 1)
        for (uint32_t i = 0; i < frames; ++i) pcm[i] = pcm[2 * i];
    pcm.resize(std::size_t(frames) * channels);
    uint32_t bytes = uint32_t(pcm.size() * 2);
    std::vector<uint8_t> out(44 + bytes);
    auto u16 = [&](std::size_t at, uint32_t v) { out[at] = uint8_t(v), out[at + 1] = uint8_t(v >> 8); };
    auto u32 = [&](std::size_t at, uint32_t v) { u16(at, v & 0xFFFF), u16(at + 2, v >> 16); };
    std::memcpy(out.data(), "RIFF", 4);
    u32(4, 36 + bytes);
    std::memcpy(out.data() + 8, "WAVEfmt ", 8);
    u32(16, 16);
    u16(20, 1);
    u16(22, channels);
    u32(24, rate);
    u32(28, rate * channels * 2);
    u16(32, channels * 2u);
    u16(34, 16);
    std::memcpy(out.data() + 36, "data", 4);
    u32(40, bytes);
    std::memcpy(out.data() + 44, pcm.data(), bytes);
    return out;
}

// Output seconds per iteration: 1. Players: the game's mix of formats, each looping for ever.
void BM_MixOneSecond(benchmark::State& state) {
    Runtime runtime;
    struct Format {
        uint16_t channels;
        uint32_t rate;
    } formats[] = {{1, 22050}, {2, 44100}, {1, 8000}, {2, 22050}};
    for (int i = 0; i < state.range(0); ++i) {
        std::vector<uint8_t> file = waveFile(formats[i].channels, formats[i].rate, formats[i].rate * 3 / 2);
        mrc::SoundPlayerWAVE* player = mrc::SoundPlayerWAVE::newInstance(file.data(), uint32_t(file.size()));
        player->setLoopCount(-1);
        player->start();
        if (player->getState() != 400) state.SkipWithError("a player did not start");
    }
    for (auto _ : state) benchmark::DoNotOptimize(host::audioPump(uint32_t(kRate)));
    reportSpeed(state, 1.0);
}
BENCHMARK(BM_MixOneSecond)->Arg(0)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
