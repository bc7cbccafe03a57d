#include "tools/sample_data/prompt_data.h"

#include <cstdint>

#include "tools/formats/pack_file.h"
#include "tools/formats/sprite_file.h"
#include "tools/formats/text_pack.h"
#include "tools/sample_data/interface_data.h"
#include "tools/sample_data/sample_data.h"

namespace sample_data {

namespace {

using formats::SpriteData;
using formats::SpriteFrame;

constexpr uint32_t kGold = 0xFFE0A526u, kGoldDark = 0xFF7A5A14u, kPanel = 0xFF1B2436u, kBand = 0xFF2A3A5Au;
constexpr int kPromptSpritePack = 26, kPromptSpriteEntry = 2;  // loaded into sprite slot 4
constexpr int kInterfaceEntry = 1, kSoftKeyEntry = 3;
constexpr int kTipsEntry = 4, kSpeakersEntry = 5;  // text groups 3 and 5
constexpr int kPortraits = 3;  // frames 95-97: the HUD's popup and marker frames follow
constexpr int kCursorFrame = 88;  // the two-answer prompt's cursor: animation 0 of the interface sprite

std::string packFile(int p) { return std::string("pack") + (p < 10 ? "0" : "") + std::to_string(p); }

// An arrow of bars narrowing away from the box edge: down from a bottom corner, up from a top one.
SpriteFrame arrow(SpriteData& s, bool down) {
    SpriteFrame f;
    for (int row = 0; row < 6; ++row) {
        const int half = 6 - row, y = down ? row * 2 : -2 - row * 2;
        addBar(s, f, 14 - half, y, 2 * half, 2, kGold);
    }
    return f;
}

// Sprite 4: frame 0 the panel's top edge, frame 1 its text area; frames 3-10 the dialog arrows of
// corners 0-7 (corners 0, 5, 6 and 7 are at the bottom of the box).
SpriteData promptSprite() {
    SpriteData s;
    s.palettes = {{0x00000000u}};
    s.frames.resize(11);
    // The name band runs on into the edge, so the speaker's name may reach below the band's end.
    addBar(s, s.frames[0], 0, 0, 800, 9, kBand);
    addBar(s, s.frames[0], 0, 9, 800, 3, kGold);
    addBar(s, s.frames[1], 0, 0, 800, 220, kPanel);
    addBar(s, s.frames[2], 0, 0, 1, 1, kPanel);
    for (int corner = 0; corner < 8; ++corner) {
        const bool bottom = corner == 0 || corner == 5 || corner == 6 || corner == 7;
        s.frames[std::size_t(3 + corner)] = arrow(s, bottom);
    }
    s.animations.push_back({{0, 1, 0, 0, 0}});
    return s;
}

// A portrait: a face of bars on a coloured ground, drawn above the panel's left end.
SpriteFrame portrait(SpriteData& s, int k) {
    static const uint32_t grounds[kPortraits] = {0xFF3B5B8Au, 0xFF8A3B5Bu, 0xFF3B8A5Bu};
    static const uint32_t skins[kPortraits] = {0xFFE8C39Eu, 0xFFD9A47Cu, 0xFFF0D0B0u};
    SpriteFrame f;
    addBar(s, f, 8, -104, 96, 96, grounds[k]);
    addBar(s, f, 28, -92, 56, 64, skins[k]);
    addBar(s, f, 38, -74, 10, 6, 0xFF202020u);
    addBar(s, f, 64, -74, 10, 6, 0xFF202020u);
    addBar(s, f, 44, -50, 24 + 4 * k, 4, 0xFF803030u);
    return f;
}

// The interface sprite with the name band (7), the portrait frame (87), portraits 95-97 and the
// answer cursor (88, animation 0: HUD instance 4 starts it), a gold arrow pointing right 16 px
// wide, the answers' margin.
SpriteData interfaceWithPortraits() {
    SpriteData s = interfaceSprite();
    s.frames[7] = SpriteFrame{};
    addBar(s, s.frames[7], 0, -25, 800, 41, kBand);
    addBar(s, s.frames[7], 0, -25, 800, 2, kGoldDark);
    s.frames[87] = SpriteFrame{};
    addBar(s, s.frames[87], 0, -112, 112, 112, kGold);
    addBar(s, s.frames[87], 4, -108, 104, 104, kGoldDark);
    for (int k = 0; k < kPortraits && 95 + k < int(s.frames.size()); ++k)
        s.frames[std::size_t(95 + k)] = portrait(s, k);
    s.frames[kCursorFrame] = SpriteFrame{};
    for (int column = 0; column < 8; ++column)
        addBar(s, s.frames[kCursorFrame], 2 * column, 2 + column, 2, 20 - 2 * column, kGold);
    if (!s.animations.empty()) s.animations[0] = {{kCursorFrame, 1, 0, 0, 0}};
    return s;
}

// The soft keys with frame 4, the strip under the panel where their labels sit.
SpriteData softKeysWithStrip() {
    SpriteData s = softKeySprite();
    s.frames.resize(5);
    s.frames[4] = SpriteFrame{};
    addBar(s, s.frames[4], 0, -19, 800, 19, 0xFF101620u);
    return s;
}

}  // namespace

void addPageMarker(SpriteData& s) {
    constexpr int kMarkerFrame = 2, kBlank = 1;
    if (s.frames.size() <= kMarkerFrame) s.frames.resize(kMarkerFrame + 1);
    SpriteFrame& f = s.frames[kMarkerFrame];
    f = SpriteFrame{};
    for (int row = 0; row < 6; ++row) addBar(s, f, -22 + row, -16 + 2 * row, 12 - 2 * row, 2, kGold);
    if (s.animations.size() < 39) s.animations.resize(39, {{kBlank, 1, 0, 0, 0}});
    for (int a : {2, 38}) s.animations[std::size_t(a)] = {{kMarkerFrame, 1, 0, 0, 0}};
}

// Entry `entry` of the pack stored under pack number p becomes `bytes`; a missing pack or entry
// is left alone.
void setPackEntry(formats::ArchiveWriter& archive, int p, int entry, const std::vector<uint8_t>& bytes) {
    formats::ArchiveEntry* stored = archive.find(packFile(p));
    if (stored == nullptr) return;
    std::vector<std::vector<uint8_t>> entries = packEntries(stored->data);
    if (entry < 0 || std::size_t(entry) >= entries.size()) return;
    entries[std::size_t(entry)] = bytes;
    formats::PackWriter w;
    for (const auto& e : entries) w.add(e);
    stored->data = w.build();
}

std::vector<std::vector<uint8_t>> packEntries(const std::vector<uint8_t>& pack) {
    std::vector<std::vector<uint8_t>> out;
    if (pack.size() < 2 || pack[0] != 0) return out;
    const std::size_t count = pack[1], base = 2 + 4 * count;
    if (count == 0 || pack.size() < base) return out;
    auto offset = [&](std::size_t i) {
        const uint8_t* p = pack.data() + 2 + 4 * i;
        return std::size_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    };
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const std::size_t from = base + offset(i), to = base + offset(i + 1);
        if (from > to || to > pack.size()) return {};
        out.emplace_back(pack.begin() + std::ptrdiff_t(from), pack.begin() + std::ptrdiff_t(to));
    }
    return out;
}

std::vector<std::string> speakerTexts() {
    std::vector<std::string> t(kFirstHintText + kUpgradeHints);
    t[0] = "Veltrano";
    t[1] = "Mira";
    t[2] = "The Ferryman";
    t[3] = "Kelos";
    t[4] = "Old Tomas";
    t[kDialogueText] =
        "The river has been restless since the tower fell. Boats leave in the morning and come back "
        "empty, or not at all.%jIf you mean to cross, cross quickly. Kelos keeps his eyes on the water "
        "after dark, and he does not forgive travellers.";
    t[kQuestionText] = "Take the old road through the pass?";
    t[kFirstAnswerText] = "Yes, through the pass";
    t[kFirstAnswerText + 1] = "No, wait for dawn";
    t[kNoticeText] = "The gate is sealed. Find the three lanterns to open it.";
    const char* const hints[kUpgradeHints] = {
        "Every relic you carry can be made stronger here.",
        "Choose a relic with up and down; down again shows its next upgrade.",
        "Your points: each upgrade costs some of them.",
        "The bars show how far a relic has grown. Three steps each.",
        "Hold the confirm key to buy. Let go to stop.",
    };
    for (int k = 0; k < kUpgradeHints; ++k) t[std::size_t(kFirstHintText + k)] = hints[k];
    return t;
}

std::vector<formats::DefinitionRecord> upgradeHints() {
    // x, y (the box's top is 5 below) and arrow: the first centred over the panel, then pointing
    // up at the rows, the points in the top right, the expanded row's bars, and at the bottom.
    constexpr int kGroup = 5;
    const int16_t places[kUpgradeHints][3] = {{400, 200, -1}, {100, 300, 1}, {100, 70, 3}, {100, 250, 2}, {100, 400, -1}};
    std::vector<formats::DefinitionRecord> out;
    for (int k = 0; k < kUpgradeHints; ++k) {
        const auto& [x, y, arrow] = places[k];
        out.push_back({2, x, y, {int16_t(kGroup), int16_t(kFirstHintText + k), arrow}});
    }
    return out;
}

std::vector<std::string> loadingTips() {
    std::vector<std::string> t(36);
    const char* const random[20] = {
        "Hold the jump key to leap higher.",
        "Points buy upgrades between levels.",
        "Lanterns light the way and reveal hidden doors.",
        "Some walls crack when struck twice.",
        "Switches can open doors far away.",
        "Energy returns slowly while you stand still.",
        "The map shows where you have been.",
        "Enemies guard what they value most.",
        "A shield blocks arrows but not fire.",
        "Boots of speed help you outrun falling stones.",
        "Secrets are often above your head.",
        "Listen: traps click before they fire.",
        "The amulet glows near hidden passages.",
        "Save often; the road is long.",
        "Some doors open only from one side.",
        "Talk to travellers: they know the paths.",
        "Water slows you down, and slows enemies too.",
        "A strong blow can push heavy crates.",
        "Collect every coin for a chapter bonus.",
        "Rest at the fires to restore your strength.",
    };
    for (int i = 0; i < 20; ++i) t[std::size_t(i)] = random[i];
    for (int n = 0; n < 14; ++n) t[std::size_t(22 + n)] = "Chapter " + std::to_string(n + 1) + ": the road goes on.";
    // String 21: the story told between the levels (state 16).
    t[21] = "The last gate closed behind you. Beyond the hills the old road waits, and with it the rest of the journey.";
    return t;
}

void addPromptData(formats::ArchiveWriter& archive) {
    const std::vector<uint8_t> face = formats::spriteFile(interfaceWithPortraits());
    setPackEntry(archive, kStartupPack, kInterfaceEntry, face);    // sprite slot 0
    setPackEntry(archive, kInterfacePack, kInterfaceEntry, face);  // sprite slot 3
    setPackEntry(archive, kInterfacePack, kSoftKeyEntry, formats::spriteFile(softKeysWithStrip()));
    setPackEntry(archive, kPromptSpritePack, kPromptSpriteEntry, formats::spriteFile(promptSprite()));
    setPackEntry(archive, kTextPack, kTipsEntry, formats::textPack(loadingTips()));
    setPackEntry(archive, kTextPack, kSpeakersEntry, formats::textPack(speakerTexts()));
}

}  // namespace sample_data
