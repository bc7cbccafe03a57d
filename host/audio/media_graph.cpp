#include "host/audio/media_graph.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include "host/audio/amr_file.h"
#include "host/audio/midi_file.h"
#include "host/audio/mixer.h"
#include "host/core/log.h"
#include "host/core/sync.h"

namespace host {
namespace {

int64_t toFrames(int64_t units, uint32_t rate) { return units * rate / kMediaUnitsPerSecond; }
int64_t toUnits(int64_t frames, uint32_t rate) { return frames * kMediaUnitsPerSecond / rate; }

// What plays the stream; every call under the mixer lock.
class Renderer {
public:
    virtual ~Renderer() = default;
    virtual int64_t duration() const = 0;
    virtual int64_t position() const = 0;
    virtual void seek(int64_t units) = 0;
    // Adds up to `frames` frames of content, which ends at `stop`; true once the position is there.
    virtual bool render(int32_t* acc, uint32_t frames, int32_t gain, int64_t stop) = 0;
    // Cuts whatever still sounds (the graph stops).
    virtual void silence() {}
};

// Decoded PCM, resampled to the mixer.
class PcmRenderer final : public Renderer {
public:
    PcmRenderer(std::vector<int16_t> samples, uint32_t rate)
        : m_samples(std::move(samples)), m_rate(rate) {}

    int64_t duration() const override { return toUnits(int64_t(m_samples.size()), m_rate); }
    int64_t position() const override {
        return toUnits(std::min<int64_t>(int64_t(m_pos >> 32), int64_t(m_samples.size())), m_rate);
    }
    void seek(int64_t units) override { m_pos = uint64_t(toFrames(units, m_rate)) << 32; }
    bool render(int32_t* acc, uint32_t frames, int32_t gain, int64_t stop) override {
        uint32_t end = uint32_t(std::min<int64_t>(toFrames(stop, m_rate), int64_t(m_samples.size())));
        if ((m_pos >> 32) < end)
            mixPcm(reinterpret_cast<const uint8_t*>(m_samples.data()), end, PcmLayout::S16Mono,
                   m_pos, resampleStep(m_rate, mixer().rate()), gain, acc, frames);
        return (m_pos >> 32) >= end;
    }

private:
    std::vector<int16_t> m_samples;
    uint32_t m_rate;
    uint64_t m_pos = 0;
};

std::mutex g_soundFontMutex;
std::string g_soundFont;

std::string soundFontPath() {
    std::lock_guard lock(g_soundFontMutex);
    if (!g_soundFont.empty()) return g_soundFont;
    for (const char* candidate : {"/usr/share/sounds/sf2/TimGM6mb.sf2",
                                  "/usr/share/sounds/sf2/default-GM.sf2",
                                  "/usr/share/sounds/sf2/FluidR3_GM.sf2"}) {
        if (std::ifstream(candidate).good()) return candidate;
    }
    return {};
}

void fluidLog(int level, const char* message, void*) {
    mrc_log("fluidsynth%s: %s", level <= FLUID_ERR ? " error" : "", message);
}

// A sequencer of our own over a FluidSynth synthesizer, stepped by the frames it renders: the
// timing is exact and repeatable, and seeking is a reset plus a replay of the channel settings.
class MidiRenderer final : public Renderer {
public:
    static std::unique_ptr<MidiRenderer> create(MidiSong song, uint32_t rate) {
        static std::once_flag quietLogs;
        std::call_once(quietLogs, [] {
            fluid_set_log_function(FLUID_PANIC, fluidLog, nullptr);
            fluid_set_log_function(FLUID_ERR, fluidLog, nullptr);
            fluid_set_log_function(FLUID_WARN, fluidLog, nullptr);
            fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
            fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
        });
        std::string font = soundFontPath();
        if (font.empty()) {
            mrc_log("MediaGraph: no General MIDI SoundFont installed");
            return nullptr;
        }
        std::unique_ptr<MidiRenderer> r(new MidiRenderer(std::move(song), rate));
        r->m_settings = new_fluid_settings();
        if (!r->m_settings) return nullptr;
        fluid_settings_setnum(r->m_settings, "synth.sample-rate", rate);
        fluid_settings_setint(r->m_settings, "synth.lock-memory", 0);
        fluid_settings_setint(r->m_settings, "synth.threadsafe-api", 0);  // the mixer lock guards it
        fluid_settings_setint(r->m_settings, "synth.chorus.active", 0);
        r->m_synth = new_fluid_synth(r->m_settings);
        if (!r->m_synth) return nullptr;
        if (fluid_synth_sfload(r->m_synth, font.c_str(), 1) == FLUID_FAILED) {
            mrc_log("MediaGraph: cannot load the SoundFont \"%s\"", font.c_str());
            return nullptr;
        }
        return r;
    }

    ~MidiRenderer() override {
        if (m_synth) delete_fluid_synth(m_synth);
        if (m_settings) delete_fluid_settings(m_settings);
    }

    int64_t duration() const override { return int64_t(m_song.durationMicros) * 10; }
    int64_t position() const override { return toUnits(m_frame, m_rate); }

    void seek(int64_t units) override {
        m_frame = toFrames(units, m_rate);
        fluid_synth_system_reset(m_synth);
        m_next = 0;
        for (; m_next < m_frames.size() && m_frames[m_next] < m_frame; ++m_next) {
            uint8_t kind = m_song.events[m_next].status & 0xF0;
            if (kind != 0x80 && kind != 0x90 && kind != 0xA0) dispatch(m_song.events[m_next]);
        }
    }

    bool render(int32_t* acc, uint32_t frames, int32_t gain, int64_t stop) override {
        const int64_t end = toFrames(stop, m_rate);
        int16_t buffer[kMixChunkFrames * 2];
        uint32_t made = 0;
        while (made < frames) {
            uint32_t n = std::min(frames - made, kMixChunkFrames);
            if (m_frame <= end) {
                while (m_next < m_frames.size() && m_frames[m_next] <= m_frame)
                    dispatch(m_song.events[m_next++]);
            }
            if (m_frame < end) {
                int64_t until = end;
                if (m_next < m_frames.size()) until = std::min(until, m_frames[m_next]);
                n = uint32_t(std::min<int64_t>(n, until - m_frame));
            } else if (fluid_synth_get_active_voice_count(m_synth) == 0) {
                break;  // the end reached and the last notes have died away
            }
            fluid_synth_write_s16(m_synth, int(n), buffer, 0, 2, buffer, 1, 2);
            mixScaled(buffer, gain, acc + 2 * made, n);
            made += n;
            if (m_frame < end) m_frame += n;
        }
        return m_frame >= end;
    }

    void silence() override { fluid_synth_all_sounds_off(m_synth, -1); }

private:
    MidiRenderer(MidiSong song, uint32_t rate) : m_song(std::move(song)), m_rate(rate) {
        m_frames.reserve(m_song.events.size());
        for (const MidiEvent& e : m_song.events)
            m_frames.push_back(int64_t(e.micros) * rate / 1000000);
    }

    void dispatch(const MidiEvent& e) {
        int channel = e.status & 0x0F;
        switch (e.status & 0xF0) {
        case 0x80: fluid_synth_noteoff(m_synth, channel, e.data1); break;
        case 0x90:
            if (e.data2) fluid_synth_noteon(m_synth, channel, e.data1, e.data2);
            else fluid_synth_noteoff(m_synth, channel, e.data1);
            break;
        case 0xA0: fluid_synth_key_pressure(m_synth, channel, e.data1, e.data2); break;
        case 0xB0: fluid_synth_cc(m_synth, channel, e.data1, e.data2); break;
        case 0xC0: fluid_synth_program_change(m_synth, channel, e.data1); break;
        case 0xD0: fluid_synth_channel_pressure(m_synth, channel, e.data1); break;
        case 0xE0: fluid_synth_pitch_bend(m_synth, channel, e.data2 << 7 | e.data1); break;
        }
    }

    MidiSong m_song;
    std::vector<int64_t> m_frames;  // each event's frame
    uint32_t m_rate;
    fluid_settings_t* m_settings = nullptr;
    fluid_synth_t* m_synth = nullptr;
    int64_t m_frame = 0;
    std::size_t m_next = 0;
};

std::string lowerExtension(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool readFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int32_t gainOfVolume(int32_t level) {
    if (level <= kMediaVolumeSilent) return 0;
    return int32_t(std::lround(kUnityGain * std::pow(10.0, level / 2000.0)));
}

constexpr std::size_t kEventCapacity = 16;

}  // namespace

struct MediaGraph::Impl final : MixSource {
    // Under the mixer lock.
    std::unique_ptr<Renderer> renderer;
    GraphState state = GraphState::Stopped;
    int64_t stop = 0;
    int32_t volume = kMediaVolumeFull;
    int32_t gain = kUnityGain;
    bool completeSent = false;

    // Under eventMutex.
    std::mutex eventMutex;
    std::condition_variable eventReady;
    GraphEvent events[kEventCapacity];
    std::size_t firstEvent = 0;
    std::size_t eventCount = 0;
    bool aborted = false;

    void mixInto(int32_t* acc, uint32_t frames) override {
        if (state != GraphState::Running) return;
        if (renderer->render(acc, frames, gain, stop) && !completeSent) {
            completeSent = true;
            post(GraphEvent{kGraphEventComplete, 0, 0});
        }
    }

    // Runs `op` under the mixer lock once the graph is built; false before.
    template <class Op>
    bool locked(Op op);

    // Under eventMutex.
    GraphWait take(GraphEvent& e) {
        if (aborted) return GraphWait::Aborted;
        if (eventCount == 0) return GraphWait::Timeout;
        e = events[firstEvent];
        firstEvent = (firstEvent + 1) % kEventCapacity;
        --eventCount;
        return GraphWait::Event;
    }

    void post(const GraphEvent& e) {
        {
            std::lock_guard lock(eventMutex);
            if (eventCount == kEventCapacity) {  // nobody reads: the oldest goes
                firstEvent = (firstEvent + 1) % kEventCapacity;
                --eventCount;
            }
            events[(firstEvent + eventCount++) % kEventCapacity] = e;
        }
        eventReady.notify_one();
    }
};

MediaGraph::MediaGraph() : m(std::make_unique<Impl>()) {}

MediaGraph::~MediaGraph() {
    std::unique_ptr<Renderer> renderer;
    {
        std::lock_guard lock(mixer().mutex());
        mixer().remove(m.get());
        renderer = std::move(m->renderer);
    }
}

void MediaGraph::setSoundFontPath(const std::string& path) {
    std::lock_guard lock(g_soundFontMutex);
    g_soundFont = path;
}

bool MediaGraph::renderFile(const std::string& path) {
    {
        std::lock_guard lock(mixer().mutex());
        if (m->renderer) {
            mrc_log("MediaGraph: a graph is already built (\"%s\")", path.c_str());
            return false;
        }
    }
    std::string ext = lowerExtension(path);
    bool midi = ext == "mid" || ext == "midi" || ext == "rmi";
    if (!midi && ext != "amr") {
        mrc_log("MediaGraph: no renderer for \"%s\"", path.c_str());
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!readFile(path, bytes)) {
        mrc_log("MediaGraph: cannot read \"%s\"", path.c_str());
        return false;
    }
    uint32_t rate;
    {
        std::lock_guard lock(mixer().mutex());
        rate = mixer().rate();
    }
    std::unique_ptr<Renderer> renderer;
    std::string error;
    if (midi) {
        MidiSong song;
        if (parseMidiFile(bytes.data(), bytes.size(), song, error))
            renderer = MidiRenderer::create(std::move(song), rate);
    } else {
        std::vector<int16_t> pcm;
        if (decodeAmrFile(bytes.data(), bytes.size(), pcm, error))
            renderer = std::make_unique<PcmRenderer>(std::move(pcm), kAmrSampleRate);
    }
    if (!renderer) {
        if (!error.empty()) mrc_log("MediaGraph: \"%s\": %s", path.c_str(), error.c_str());
        return false;
    }
    std::lock_guard lock(mixer().mutex());
    if (m->renderer || mixer().rate() != rate) {  // raced with another build or a restart
        mrc_log("MediaGraph: \"%s\" not attached: the graph or the output changed meanwhile",
                path.c_str());
        return false;
    }
    m->stop = renderer->duration();
    m->renderer = std::move(renderer);
    mixer().add(m.get());
    return true;
}

template <class Op>
bool MediaGraph::Impl::locked(Op op) {
    std::lock_guard lock(mixer().mutex());
    if (!renderer) return false;
    op();
    return true;
}

bool MediaGraph::run() {
    return m->locked([this] {
        if (m->state != GraphState::Running) m->completeSent = false;
        m->state = GraphState::Running;
    });
}

bool MediaGraph::pause() {
    return m->locked([this] { m->state = GraphState::Paused; });
}

bool MediaGraph::stop() {
    return m->locked([this] {
        if (m->state != GraphState::Stopped) m->renderer->silence();
        m->state = GraphState::Stopped;
    });
}

GraphState MediaGraph::state() const {
    std::lock_guard lock(mixer().mutex());
    return m->state;
}

GraphWait MediaGraph::waitEvent(GraphEvent& event, uint32_t timeoutMs) {
    auto ready = [this] { return m->eventCount > 0 || m->aborted; };
    {
        std::lock_guard lock(m->eventMutex);
        if (ready() || timeoutMs == 0) return m->take(event);
    }
    BlockingRegion blocking;  // entered and left without the event lock held
    std::unique_lock lock(m->eventMutex);
    if (timeoutMs == kInfinite) m->eventReady.wait(lock, ready);
    else m->eventReady.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    return m->take(event);
}

void MediaGraph::abortEventWaits(bool abort) {
    {
        std::lock_guard lock(m->eventMutex);
        m->aborted = abort;
    }
    m->eventReady.notify_all();
}

bool MediaGraph::duration(int64_t& units) const {
    return m->locked([&] { units = m->renderer->duration(); });
}

bool MediaGraph::currentPosition(int64_t& units) const {
    return m->locked([&] { units = std::min(m->renderer->position(), m->stop); });
}

bool MediaGraph::stopPosition(int64_t& units) const {
    return m->locked([&] { units = m->stop; });
}

bool MediaGraph::setPositions(int64_t current, int64_t stop) {
    bool valid = false;
    bool built = m->locked([&] {
        if (current < 0 || current > stop || stop > m->renderer->duration()) return;
        m->renderer->seek(current);
        m->stop = stop;
        m->completeSent = false;
        valid = true;
    });
    return built && valid;
}

bool MediaGraph::volume(int32_t& level) const {
    return m->locked([&] { level = m->volume; });
}

bool MediaGraph::setVolume(int32_t level) {
    if (level < kMediaVolumeSilent || level > kMediaVolumeFull) return false;
    int32_t gain = gainOfVolume(level);
    return m->locked([&] {
        m->volume = level;
        m->gain = gain;
    });
}

}  // namespace host
