// Start-up and end of the audio system: the mixer's output back end and the wave-out device.
//
//   audioInit(AudioBackend::Sdl)       the sound card through SDL; without one, the headless sink
//                                       in real time (with a log line)
//   audioInit(AudioBackend::Headless)  the headless sink, pumped by hand (tests) or in real time
//
// The headless sink records what it mixes, for inspection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace host {

enum class AudioBackend { Sdl, Headless };

struct AudioConfig {
    // Output frames per second (stereo, signed 16-bit). Kept while media graphs exist.
    uint32_t sampleRate = 44100;
    // Headless only: a thread consumes frames at the sample rate instead of audioPump().
    bool realtime = false;
    // Headless only: most frames kept by the recording (older ones are not dropped: the
    // recording stops growing). 0 records nothing.
    uint32_t recordLimitFrames = 44100 * 60;
};

// Starts (or restarts) the audio system; returns the back end in use.
AudioBackend audioInit(AudioBackend backend, const AudioConfig& config = {});
// Closes the wave-out streams left open, delivers their messages and stops the output.
void audioShutdown();
bool audioRunning();
AudioBackend audioBackend();
uint32_t audioSampleRate();

// Pumped headless sink: mixes `frames` frames now, on the calling thread, and records them.
// Returns the frames mixed (0, with a log line, for another back end or a real-time sink).
uint32_t audioPump(uint32_t frames);

// Pumped headless sink in fixed-step runs, after each presented frame: mixes the frames due by the
// tick count since audioInit, so that the sound follows the frames exactly (frame n's time is
// mixed once frame n is shown). Returns the frames mixed; 0, quietly, for any other output.
uint64_t audioPumpToClock();

// Headless sink: from now on every frame mixed also goes, without a limit, to a WAV file (16-bit
// stereo at the sample rate) made at `path`, which audioShutdown finishes. False, with a log line,
// when the file cannot be made or no headless sink runs.
bool audioRecordToFile(const std::string& path);

// Whether the WAV file of the last headless sink (audioRecordToFile) was written in full;
// known once audioShutdown closed it. False when there was none.
bool audioRecordingComplete();

// The recorded interleaved stereo samples (left, right, ...) since the last call; clears them.
std::vector<int16_t> audioTakeRecording();

}  // namespace host
