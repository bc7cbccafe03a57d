// A media graph: renders a sound file (MIDI through FluidSynth, AMR through opencore-amrnb) into
// the audio mixer, with run, pause and stop, an event queue announcing the end of the stream,
// seeking in 100-nanosecond units and a volume in hundredths of a decibel.
//
// Every call may come from any thread. Stopping keeps the position (run continues from there);
// reaching the stop position raises one complete event and leaves the graph running, silent, at
// that position until it is moved or stopped.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace host {

// Media times: 100-nanosecond units.
inline constexpr int64_t kMediaUnitsPerSecond = 10'000'000;

// Volume: hundredths of a decibel, 0 loudest, kMediaVolumeSilent silent.
inline constexpr int32_t kMediaVolumeFull = 0;
inline constexpr int32_t kMediaVolumeSilent = -10000;

enum class GraphState { Stopped, Paused, Running };

inline constexpr int32_t kGraphEventComplete = 1;  // the stream reached its stop position

struct GraphEvent {
    int32_t code = 0;
    intptr_t param1 = 0;
    intptr_t param2 = 0;
};

enum class GraphWait { Event, Timeout, Aborted };

class MediaGraph {
public:
    MediaGraph();
    // No thread may still be inside waitEvent (abort the waits and join first).
    ~MediaGraph();
    MediaGraph(const MediaGraph&) = delete;
    MediaGraph& operator=(const MediaGraph&) = delete;

    // Builds the graph for a file chosen by its extension, ignoring case: "mid", "midi", "rmi"
    // (General MIDI through the SoundFont) or "amr". Once per graph. False, with a log line, for
    // another extension, an unreadable file or data the renderer does not accept.
    bool renderFile(const std::string& path);

    // False before renderFile.
    bool run();
    bool pause();
    bool stop();
    GraphState state() const;

    // Takes the oldest event, waiting up to timeoutMs (kInfinite: no limit).
    GraphWait waitEvent(GraphEvent& event, uint32_t timeoutMs);
    // While set, waits (current and later) return Aborted at once: how a loop thread is ended.
    void abortEventWaits(bool abort);

    bool duration(int64_t& units) const;
    bool currentPosition(int64_t& units) const;
    bool stopPosition(int64_t& units) const;
    // Absolute positions; fails unless 0 <= current <= stop <= duration. Leaves the state as it is.
    bool setPositions(int64_t current, int64_t stop);

    // Fails for levels outside kMediaVolumeSilent..kMediaVolumeFull.
    bool volume(int32_t& level) const;
    bool setVolume(int32_t level);

    // The General MIDI SoundFont for graphs rendered later (default: the first installed of
    // TimGM6mb, default-GM and FluidR3_GM under /usr/share/sounds/sf2).
    static void setSoundFontPath(const std::string& path);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

}  // namespace host
