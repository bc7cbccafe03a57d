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
#include <filesystem>
#include <vector>

#include <unistd.h>

#include "host/audio/audio.h"
#include "platform/media/media_support.h"
#include "platform/media/sound_player_ogg.h"
#include "platform/media/sound_player_wave.h"
#include "runtime/core/application.h"
#include "tests/fixtures/vorbis_reference.h"
#include "tools/formats/wave_file.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr uint32_t kSeconds = 30;

const std::vector<uint8_t>& oggFile() {
    static const std::vector<uint8_t> file =
        fixtures::oggVorbisFile(formats::stereoTones(440, kRate, kRate * kSeconds, 9000), 2, kRate, 0.4f);
    return file;
}

bool haveOgg(benchmark::State& state) {
    std::string why;
    if (fixtures::vorbisReferenceAvailable(&why) && !oggFile().empty()) return true;
    state.SkipWithError(("no reference Vorbis codec: " + why).c_str());
    return false;
}

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
        // Read through the C library, as the player reads its temporary file.
        std::FILE* file = fmemopen(const_cast<uint8_t*>(oggFile().data()), oggFile().size(), "rb");
        OggVorbis_File decoder;
        if (!file || ov_open(file, &decoder, nullptr, 0) != 0) {
            if (file) std::fclose(file);
            state.SkipWithError("Tremor refused the file");
            return;
        }
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

// Output seconds per iteration: 1. Players: the game's mix of formats, each looping for ever.
void BM_MixOneSecond(benchmark::State& state) {
    Runtime runtime;
    struct Format {
        uint16_t channels;
        uint32_t rate;
    } formats[] = {{1, 22050}, {2, 44100}, {1, 8000}, {2, 22050}};
    for (int i = 0; i < state.range(0); ++i) {
        uint32_t frames = formats[i].rate * 3 / 2;
        std::vector<int16_t> pcm = formats[i].channels == 2
                                       ? formats::stereoTones(330, int32_t(formats[i].rate), frames, 6000)
                                       : formats::monoTone(330, int32_t(formats[i].rate), frames, 6000);
        std::vector<uint8_t> file = formats::waveFile(pcm, formats[i].channels, formats[i].rate);
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
