#include "tools/formats/definitions_file.h"

#include "tools/formats/pack_file.h"

namespace formats {

namespace {
void put16(std::vector<uint8_t>& out, int32_t v) {
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t((v >> 8) & 0xFF));
}
}  // namespace

std::vector<uint8_t> definitionSet(const std::vector<DefinitionRecord>& records) {
    std::vector<uint8_t> out;
    for (const DefinitionRecord& r : records) {
        out.push_back(r.kind);
        put16(out, r.p);
        put16(out, r.x);
        put16(out, r.y);
        out.push_back(uint8_t(r.values.size()));
        for (int16_t v : r.values) put16(out, v);
    }
    return out;
}

std::vector<uint8_t> definitionsPack(const std::vector<std::vector<uint8_t>>& sets) {
    PackWriter w;
    for (int i = 0; i < 10; ++i) w.add({});
    for (const auto& s : sets) w.add(s);
    return w.build();
}

}  // namespace formats
