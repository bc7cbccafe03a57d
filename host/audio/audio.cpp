#include "host/audio/audio.h"

#include <memory>
#include <mutex>

#include "host/audio/mixer.h"
#include "host/audio/wave_out.h"
#include "host/audio/wave_out_driver.h"
#include "host/core/log.h"
#include "host/headless/headless_audio_sink.h"
#include "host/sdl/sdl_audio_output.h"

namespace host {
namespace {

struct AudioSystem {
    std::mutex mutex;  // start-up and shutdown; never taken by the output or the callbacks
    bool running = false;
    AudioBackend backend = AudioBackend::Headless;
    std::unique_ptr<SdlAudioOutput> sdl;
    std::unique_ptr<HeadlessAudioSink> headless;
    bool recordingComplete = false;
};

AudioSystem& audioSystem() {
    static AudioSystem* instance = new AudioSystem;
    return *instance;
}

void shutdownLocked(AudioSystem& a) {
    if (!a.running) return;
    // Streams are closed while the output still runs, so that nothing waits on a dead mixer.
    waveOutDriverStop();
    a.sdl.reset();
    if (a.headless) a.recordingComplete = a.headless->finishRecording();
    a.headless.reset();
    a.running = false;
}

// Shutting down waits for the callback thread to deliver everything: not from that thread.
bool refusedOnCallbackThread(const char* what) {
    if (!onAudioCallbackThread()) return false;
    mrc_log("%s: not possible inside an audio callback", what);
    return true;
}

}  // namespace

AudioBackend audioInit(AudioBackend backend, const AudioConfig& config) {
    AudioSystem& a = audioSystem();
    if (refusedOnCallbackThread("audioInit")) return a.backend;
    std::lock_guard lock(a.mutex);
    shutdownLocked(a);
    a.recordingComplete = false;
    {
        std::lock_guard mixLock(mixer().mutex());
        if (!mixer().setRate(config.sampleRate))
            mrc_log("audio: keeping %u Hz while media graphs exist (asked %u Hz)", mixer().rate(),
                    config.sampleRate);
        mixer().setVolume(0xFFFFFFFFu);
    }
    bool realtime = config.realtime;
    if (backend == AudioBackend::Sdl) {
        a.sdl = SdlAudioOutput::open(mixer(), mixer().rate());
        if (!a.sdl) {
            mrc_log("audio: no sound device, using the headless sink");
            backend = AudioBackend::Headless;
            realtime = true;
        }
    }
    if (backend == AudioBackend::Headless)
        a.headless = std::make_unique<HeadlessAudioSink>(mixer(), realtime, config.recordLimitFrames);
    a.backend = backend;
    a.running = true;
    waveOutDriverStart();
    return backend;
}

void audioShutdown() {
    AudioSystem& a = audioSystem();
    if (refusedOnCallbackThread("audioShutdown")) return;
    std::lock_guard lock(a.mutex);
    shutdownLocked(a);
}

bool audioRunning() {
    std::lock_guard lock(audioSystem().mutex);
    return audioSystem().running;
}

AudioBackend audioBackend() {
    std::lock_guard lock(audioSystem().mutex);
    return audioSystem().backend;
}

uint32_t audioSampleRate() {
    std::lock_guard lock(mixer().mutex());
    return mixer().rate();
}

uint32_t audioPump(uint32_t frames) {
    AudioSystem& a = audioSystem();
    std::lock_guard lock(a.mutex);
    if (!a.headless || a.headless->realtime()) {
        mrc_log("audioPump: only a pumped headless sink can be pumped");
        return 0;
    }
    return a.headless->pump(frames);
}

uint64_t audioPumpToClock() {
    AudioSystem& a = audioSystem();
    std::lock_guard lock(a.mutex);
    if (!a.headless || a.headless->realtime()) return 0;
    return a.headless->pumpToClock();
}

bool audioRecordToFile(const std::string& path) {
    AudioSystem& a = audioSystem();
    std::lock_guard lock(a.mutex);
    if (!a.headless) {
        mrc_log("audio: no headless sink to record %s", path.c_str());
        return false;
    }
    return a.headless->recordToFile(path);
}

bool audioRecordingComplete() {
    std::lock_guard lock(audioSystem().mutex);
    return audioSystem().recordingComplete;
}

std::vector<int16_t> audioTakeRecording() {
    AudioSystem& a = audioSystem();
    std::lock_guard lock(a.mutex);
    return a.headless ? a.headless->takeRecording() : std::vector<int16_t>{};
}

}  // namespace host
