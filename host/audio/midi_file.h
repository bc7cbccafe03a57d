// Standard MIDI files (formats 0, 1 and 2) read into one time-ordered list of channel events with
// their times in microseconds, the tempo map applied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host {

struct MidiEvent {
    uint64_t micros = 0;
    uint8_t status = 0;  // channel message: 0x80..0xEF
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

struct MidiSong {
    std::vector<MidiEvent> events;  // in time order; simultaneous events keep file order
    uint64_t durationMicros = 0;    // the end of the longest track
};

// False with a reason for data that is not a MIDI file. A track cut short keeps the events read
// before the cut (a log line says so).
bool parseMidiFile(const uint8_t* data, std::size_t size, MidiSong& song, std::string& error);

}  // namespace host
