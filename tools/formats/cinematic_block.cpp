#include "tools/formats/cinematic_block.h"

#include "tools/formats/byte_writer.h"

namespace formats {

CinematicCommand cineCommand(uint8_t opcode, std::initializer_list<int16_t> words) {
    CinematicCommand c{opcode, {}};
    for (int16_t w : words) {
        c.arguments.push_back(static_cast<uint8_t>(w & 0xFF));
        c.arguments.push_back(static_cast<uint8_t>((w >> 8) & 0xFF));
    }
    return c;
}

std::vector<uint8_t> cinematicBlock(const std::vector<CinematicGroup>& groups) {
    ByteWriter w;
    w.writeU8(static_cast<uint8_t>(groups.size()));
    for (const CinematicGroup& g : groups) {
        w.writeI16LE(g.id);
        w.writeU8(static_cast<uint8_t>(g.tracks.size()));
    }
    for (const CinematicGroup& g : groups) {
        for (const CinematicTrack& t : g.tracks) {
            w.writeU8(t.kind).writeU8(t.flags);
            if (t.kind == 2 || t.kind == 3) w.writeI16LE(t.actor);
            w.writeU16LE(static_cast<uint16_t>(t.keys.size()));
            for (const CinematicKey& k : t.keys) {
                w.writeU16LE(k.time).writeU8(static_cast<uint8_t>(k.commands.size()));
                for (const CinematicCommand& c : k.commands) w.writeU8(c.opcode).writeBytes(c.arguments);
            }
        }
    }
    return w.take();
}

}  // namespace formats
