#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "host/audio/midi_file.h"
#include "host/core/log.h"
#include "tools/formats/sound_files.h"

using namespace host;
using formats::midiFile;
using Track = formats::MidiTrack;

namespace {

MidiSong parse(const std::vector<uint8_t>& bytes) {
    MidiSong song;
    std::string error;
    EXPECT_TRUE(parseMidiFile(bytes.data(), bytes.size(), song, error)) << error;
    return song;
}

std::vector<uint64_t> times(const MidiSong& song) {
    std::vector<uint64_t> t;
    for (const MidiEvent& e : song.events) t.push_back(e.micros);
    return t;
}

}  // namespace

TEST(MidiFile, TempoChangesApplyFromTheirTick) {
    Track t;
    t.event(0, {0x90, 60, 100}).event(480, {0x80, 60, 0}).tempo(0, 250000);
    t.event(480, {0x90, 62, 100}).end(480);
    MidiSong song = parse(midiFile(0, 480, {t}));
    EXPECT_EQ(times(song), (std::vector<uint64_t>{0, 500000, 750000}));
    EXPECT_EQ(song.durationMicros, 1000000u);
}

TEST(MidiFile, RunningStatusAndMessagesWithOneDataByte) {
    Track t;
    // Note on, then a second note and its release by running status; a program change (one
    // data byte) and a pitch bend; a meta event and a sysex in between, which cancel nothing here.
    t.event(0, {0x91, 60, 100}).event(10, {62, 90}).event(10, {60, 0});
    t.event(0, {0xC1, 5}).meta(0, 0x01, {'h', 'i'}).event(0, {0xF0, 2, 0x7E, 0xF7});
    t.event(0, {0xE1, 0x00, 0x40}).end(0);
    MidiSong song = parse(midiFile(0, 96, {t}));
    ASSERT_EQ(song.events.size(), 5u);
    const uint8_t expected[5][3] = {
        {0x91, 60, 100}, {0x91, 62, 90}, {0x91, 60, 0}, {0xC1, 5, 0}, {0xE1, 0x00, 0x40}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(song.events[i].status, expected[i][0]) << i;
        EXPECT_EQ(song.events[i].data1, expected[i][1]) << i;
        EXPECT_EQ(song.events[i].data2, expected[i][2]) << i;
    }
}

TEST(MidiFile, TracksMergeInTimeAndKeepFileOrderWhenSimultaneous) {
    Track conductor, a, b;
    conductor.tempo(0, 1000000).end(192);
    a.event(0, {0x90, 1, 1}).event(96, {0x90, 2, 1}).end(0);
    b.event(0, {0x91, 3, 1}).event(48, {0x91, 4, 1}).end(300);
    MidiSong song = parse(midiFile(1, 96, {conductor, a, b}));
    std::vector<uint8_t> keys;
    for (const MidiEvent& e : song.events) keys.push_back(e.data1);
    EXPECT_EQ(keys, (std::vector<uint8_t>{1, 3, 4, 2}));
    EXPECT_EQ(times(song), (std::vector<uint64_t>{0, 0, 500000, 1000000}));
    EXPECT_EQ(song.durationMicros, 3625000u);  // track b: 348 ticks
}

TEST(MidiFile, SmpteDivisionCountsRealTime) {
    Track t;
    t.tempo(0, 100000).event(500, {0x90, 60, 100}).end(500);
    // 25 frames per second, 40 ticks per frame: 1000 ticks a second whatever the tempo.
    MidiSong song = parse(midiFile(0, uint16_t((uint8_t(-25) << 8) | 40), {t}));
    EXPECT_EQ(times(song), (std::vector<uint64_t>{500000}));
    EXPECT_EQ(song.durationMicros, 1000000u);
}

TEST(MidiFile, DataThatIsNotASongIsRefused) {
    Track t;
    t.event(0, {0x90, 60, 100}).end(10);
    std::vector<uint8_t> good = midiFile(0, 96, {t});
    std::vector<uint8_t> notMidi = good;
    notMidi[0] = 'X';
    std::vector<uint8_t> shortHeader = good;
    shortHeader[7] = 4;
    std::vector<uint8_t> noDivision = good;
    noDivision[12] = noDivision[13] = 0;
    std::vector<uint8_t> noTracks(good.begin(), good.begin() + 14);
    for (const auto& bytes : {notMidi, shortHeader, noDivision, noTracks, std::vector<uint8_t>{}}) {
        MidiSong song;
        std::string error;
        EXPECT_FALSE(parseMidiFile(bytes.data(), bytes.size(), song, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(MidiFile, ATrackCutShortKeepsWhatCameBefore) {
    Track t;
    t.event(0, {0x90, 60, 100}).event(96, {0x80, 60, 0}).event(96, {0x90, 62, 100});
    std::vector<uint8_t> bytes = midiFile(0, 96, {t});  // no end-of-track marker
    bytes.pop_back();                                   // and the last event cut
    LogCapture log;
    MidiSong song = parse(bytes);
    EXPECT_EQ(song.events.size(), 2u);
    EXPECT_TRUE(log.contains("ends without its end marker"));
}
