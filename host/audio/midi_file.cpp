#include "host/audio/midi_file.h"

#include <algorithm>
#include <cstring>

#include "host/core/log.h"

namespace host {
namespace {

struct Reader {
    const uint8_t* p;
    const uint8_t* end;
    bool ok = true;

    bool has(std::size_t n) const { return std::size_t(end - p) >= n; }
    uint8_t byte() {
        if (p >= end) {
            ok = false;
            return 0;
        }
        return *p++;
    }
    uint32_t big(int bytes) {
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v = (v << 8) | byte();
        return v;
    }
    // Variable-length quantity: at most four bytes.
    uint32_t quantity() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b = byte();
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80)) return v;
        }
        ok = false;
        return v;
    }
    bool skip(uint32_t n) {
        if (!has(n)) return ok = false;
        p += n;
        return true;
    }
};

struct TickEvent {
    uint64_t tick;
    MidiEvent event;
};

struct TempoChange {
    uint64_t tick;
    uint64_t micros;
    uint32_t microsPerQuarter;
};

// Reads one track; returns its end tick. False when the data stops before the end of track.
bool readTrack(Reader r, std::vector<TickEvent>& events, std::vector<TempoChange>& tempos,
               uint64_t& endTick) {
    uint64_t tick = 0;
    uint8_t running = 0;
    while (r.p < r.end) {
        tick += r.quantity();
        uint8_t b = r.byte();
        if (!r.ok) break;
        if (b == 0xFF) {
            uint8_t type = r.byte();
            uint32_t length = r.quantity();
            if (!r.ok || !r.has(length)) return endTick = tick, false;
            if (type == 0x2F) return endTick = tick, true;
            if (type == 0x51 && length >= 3)
                tempos.push_back({tick, 0, uint32_t(r.p[0] << 16 | r.p[1] << 8 | r.p[2])});
            r.skip(length);
            running = 0;
        } else if (b == 0xF0 || b == 0xF7) {
            if (!r.skip(r.quantity())) break;
            running = 0;
        } else {
            MidiEvent e;
            if (b & 0x80) {
                e.status = b;
                e.data1 = r.byte();
            } else {
                e.status = running;
                e.data1 = b;
            }
            if (e.status < 0x80 || e.status >= 0xF0) break;  // not a channel message: garbage
            running = e.status;
            uint8_t kind = e.status & 0xF0;
            if (kind != 0xC0 && kind != 0xD0) e.data2 = r.byte() & 0x7F;
            e.data1 &= 0x7F;
            if (!r.ok) break;
            events.push_back({tick, e});
        }
    }
    endTick = tick;
    return false;
}

}  // namespace

bool parseMidiFile(const uint8_t* data, std::size_t size, MidiSong& song, std::string& error) {
    song = MidiSong{};
    Reader r{data, data + size};
    if (!data || size < 14 || std::memcmp(data, "MThd", 4) != 0) {
        error = "not a MIDI file";
        return false;
    }
    r.p += 4;
    uint32_t headerLength = r.big(4);
    if (headerLength < 6 || !r.has(headerLength)) {
        error = "bad MIDI header";
        return false;
    }
    const uint8_t* afterHeader = r.p + headerLength;
    uint32_t format = r.big(2);
    r.big(2);  // track count: the chunks found are what counts
    uint32_t division = r.big(2);
    r.p = afterHeader;
    if (format > 2 || division == 0) {
        error = "unsupported MIDI format or division";
        return false;
    }

    std::vector<TickEvent> events;
    std::vector<TempoChange> tempos;
    uint64_t endTick = 0;
    int tracks = 0;
    while (r.has(8)) {
        bool isTrack = std::memcmp(r.p, "MTrk", 4) == 0;
        r.p += 4;
        uint32_t length = r.big(4);
        uint32_t available = uint32_t(std::min<std::size_t>(length, std::size_t(r.end - r.p)));
        if (isTrack) {
            uint64_t trackEnd = 0;
            // Format 2 tracks are independent songs; playing them together is the best we can do.
            if (!readTrack(Reader{r.p, r.p + available}, events, tempos, trackEnd))
                mrc_log("MIDI: track %d ends without its end marker", tracks);
            endTick = std::max(endTick, trackEnd);
            ++tracks;
        }
        r.p += available;
    }
    if (tracks == 0) {
        error = "MIDI file without tracks";
        return false;
    }

    // Tempo map. SMPTE divisions count ticks in real time and ignore tempo changes.
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    const bool smpte = division & 0x8000;
    const uint64_t ticksPerSecond =
        smpte ? uint64_t(-int8_t(division >> 8)) * (division & 0xFF) : 0;
    if (smpte && ticksPerSecond == 0) {
        error = "bad SMPTE division";
        return false;
    }
    tempos.insert(tempos.begin(), TempoChange{0, 0, 500000});
    for (std::size_t i = 1; i < tempos.size(); ++i) {
        const TempoChange& prev = tempos[i - 1];
        tempos[i].micros = prev.micros + (tempos[i].tick - prev.tick) * prev.microsPerQuarter / division;
    }
    auto micros = [&](uint64_t tick) -> uint64_t {
        if (smpte) return tick * 1000000 / ticksPerSecond;
        auto it = std::upper_bound(tempos.begin(), tempos.end(), tick,
                                   [](uint64_t t, const TempoChange& c) { return t < c.tick; });
        const TempoChange& c = *(it - 1);
        return c.micros + (tick - c.tick) * c.microsPerQuarter / division;
    };

    std::stable_sort(events.begin(), events.end(),
                     [](const TickEvent& a, const TickEvent& b) { return a.tick < b.tick; });
    song.events.reserve(events.size());
    for (const TickEvent& e : events) {
        song.events.push_back(e.event);
        song.events.back().micros = micros(e.tick);
    }
    song.durationMicros = micros(endTick);
    return true;
}

}  // namespace host
