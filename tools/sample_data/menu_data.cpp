#include "tools/sample_data/menu_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/formats/dot_font.h"
#include "tools/formats/pack_file.h"
#include "tools/formats/sound_files.h"
#include "tools/formats/sound_pack.h"
#include "tools/formats/wave_file.h"

namespace sample_data {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kWidth = 800, kHeight = 480;

std::string packName(int p) {
    char name[16];
    std::snprintf(name, sizeof name, "pack%02d", p);
    return name;
}

// Palette of the title picture.
enum : uint8_t { kClear, kSky0, kSky1, kSky2, kSky3, kStar, kMoon, kFar, kNear, kGold, kGoldDark, kShadow };

uint8_t skyAt(int x, int y) {
    // Four bands, dithered where they meet.
    const int band = y * 4 / 300, within = y * 4 % 300;
    const bool dither = within < 24 && ((x + y) & 1) != 0;
    const int b = std::min(3, dither && band > 0 ? band - 1 : band);
    return uint8_t(kSky0 + b);
}

// A ridge line: the sum of a few sines, between `base` - `amplitude` and `base` + `amplitude`.
int ridge(int x, int base, int amplitude, double phase) {
    const double t = x / double(kWidth) * 2 * kPi;
    const double v = 0.55 * std::sin(3 * t + phase) + 0.3 * std::sin(7 * t + 2 * phase) + 0.15 * std::sin(13 * t);
    return base + int(amplitude * v);
}

// The name in the dot font, each dot `scale` pixels, centred on (cx, top).
void stampName(std::vector<uint8_t>& px, const char* text, int cx, int top, int scale) {
    const int length = int(std::strlen(text));
    const int advance = (formats::kDotFontColumns + 1) * scale;
    const int left = cx - (length * advance - scale) / 2;
    for (int i = 0; i < length; ++i)
        for (int r = 0; r < formats::kDotFontRows; ++r) {
            const uint8_t bits = formats::dotFontRow(text[i], r);
            for (int c = 0; c < formats::kDotFontColumns; ++c) {
                if ((bits & (0x10 >> c)) == 0) continue;
                for (int dy = 0; dy < scale; ++dy)
                    for (int dx = 0; dx < scale; ++dx) {
                        const int x = left + i * advance + c * scale + dx, y = top + r * scale + dy;
                        const bool edge = dy == scale - 1 || dx == scale - 1;
                        // The shadow a few pixels down and right, then the letter over it.
                        const int sx = x + scale / 3, sy = y + scale / 3;
                        if (sx < kWidth && sy < kHeight && px[std::size_t(sy * kWidth + sx)] != kGold &&
                            px[std::size_t(sy * kWidth + sx)] != kGoldDark)
                            px[std::size_t(sy * kWidth + sx)] = kShadow;
                        px[std::size_t(y * kWidth + x)] = edge ? kGoldDark : kGold;
                    }
            }
        }
}

}  // namespace

formats::SpriteData titleSprite() {
    formats::SpriteData s;
    s.palettes = {{0x00000000u, 0xFF0B1026u, 0xFF16204Au, 0xFF2B2F6Eu, 0xFF5B3A7Au, 0xFFF5F3E0u, 0xFFFCE9B0u,
                   0xFF2A2050u, 0xFF120C24u, 0xFFE0A526u, 0xFF7A5A14u, 0xFF05030Au}};
    std::vector<uint8_t> px(std::size_t(kWidth * kHeight));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) px[std::size_t(y * kWidth + x)] = skyAt(x, y);
    // Stars from a small generator of our own, so that the picture is the same on every build.
    uint32_t seed = 0x5EED1234u;
    for (int i = 0; i < 140; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int x = int(seed >> 8) % kWidth;
        seed = seed * 1103515245u + 12345u;
        const int y = int(seed >> 8) % 260;
        px[std::size_t(y * kWidth + x)] = kStar;
    }
    // The moon: a disc with a bite taken out of it.
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double d = std::hypot(x - 712.0, y - 72.0), bite = std::hypot(x - 730.0, y - 62.0);
            if (d <= 36 && bite > 31) px[std::size_t(y * kWidth + x)] = kMoon;
        }
    // Two ridges of mountains.
    for (int x = 0; x < kWidth; ++x) {
        const int far = ridge(x, 320, 50, 0.7), near = ridge(x, 390, 40, 2.1);
        for (int y = std::max(0, far); y < kHeight; ++y) px[std::size_t(y * kWidth + x)] = kFar;
        for (int y = std::max(0, near); y < kHeight; ++y) px[std::size_t(y * kWidth + x)] = kNear;
    }
    stampName(px, "VELTRANO", kWidth / 2, 120, 10);
    stampName(px, "WRATH OF KELOS", kWidth / 2, 210, 4);
    // Tiles of 200 x 240: a module decodes through a buffer of 49152 pixels.
    constexpr int kTileW = 200, kTileH = 240;
    formats::SpriteFrame frame;
    for (int top = 0; top < kHeight; top += kTileH)
        for (int left = 0; left < kWidth; left += kTileW) {
            formats::SpriteModule m{formats::ModuleKind::Image, kTileW, kTileH, 0, 0, 0, {}, {}};
            for (int y = top; y < top + kTileH; ++y)
                m.indices.insert(m.indices.end(), px.begin() + y * kWidth + left, px.begin() + y * kWidth + left + kTileW);
            s.modules.push_back(std::move(m));
            frame.modules.push_back({int32_t(s.modules.size() - 1), int16_t(left), int16_t(top), 0});
        }
    s.frames.push_back(std::move(frame));
    s.animations.push_back({{0, 1, 0, 0, 0}});
    return s;
}

std::vector<std::vector<uint8_t>> soundSamples() {
    std::vector<std::vector<uint8_t>> sounds;
    // The music ids: the title and menu theme, a level tune and a short in-game fanfare.
    sounds.push_back(formats::midiMelody({64, 67, 71, 72, 71, 67, 64, 62, 60, 62, 64, 67}, 240));
    sounds.push_back(formats::midiMelody({57, 60, 64, 62, 60, 57, 55, 57}, 240));
    sounds.push_back(formats::midiMelody({72, 76, 79, 84}, 120));
    // The effects: short tones of their own pitch, 0.15 s at 22050 Hz.
    constexpr int32_t kRate = 22050;
    const double pitches[] = {880, 660, 523, 392, 988, 330, 1175, 440, 740};
    for (double f : pitches)
        sounds.push_back(formats::waveFile(formats::monoTone(f, kRate, kRate * 15 / 100, 9000), 1, kRate));
    return sounds;
}

std::vector<uint8_t> angleTable() {
    std::vector<uint8_t> out;
    for (int d = 0; d <= 180; ++d) {
        const auto v = static_cast<uint16_t>(static_cast<int16_t>(std::lround(256 * std::sin(d * kPi / 180))));
        out.push_back(uint8_t(v & 0xFF));
        out.push_back(uint8_t(v >> 8));
    }
    return out;
}

std::vector<std::string> pageTexts() {
    std::vector<std::string> t(21 + kPageCount);
    t[0] = "How to play";
    t[1] = "Page %n of %n";
    const char* const bodies[kPageCount] = {
        "Move with the arrow keys or the pad at the lower left. Walk into doors to open them and "
        "onto ledges to climb.",
        "Press Enter or the attack button to strike. Enemies drop energy; keep your gauge above "
        "empty.",
        "Collect the five relics. Each one you hold can be upgraded with the points you gather, "
        "from the pause menu.",
        "Your progress is saved at the end of each level. Continue from the main menu to go on "
        "where you left off.",
    };
    for (int p = 0; p < kPageCount; ++p) {
        t[std::size_t(2 + p)] = bodies[p];
        t[std::size_t(21 + p)] = p + 1 < kPageCount ? "Next page" : "Back to the first page";
    }
    return t;
}

std::vector<std::string> aboutTexts(const std::string& notice) {
    return {notice, "About",
            "VELTRANO: WRATH OF KELOS\n\n"
            "A rebuild of a small action game for phones, running natively on Linux.\n\n"
            "Code, pictures, sounds and texts were all made for this project. The pictures are drawn by "
            "small programs, the music is written note by note and the effects are plain tones.\n\n"
            "Thanks for playing.\n\n\n"};
}

void addMenuPacks(formats::ArchiveWriter& archive) {
    formats::PackWriter title;
    title.add(formats::spriteFile(titleSprite()));
    archive.add(packName(kTitlePack), title.build());

    formats::PackWriter angles;
    angles.add(angleTable());
    archive.add(packName(kAnglePack), angles.build());

    formats::SoundPackWriter sounds;
    for (auto& s : soundSamples()) sounds.add(std::move(s));
    archive.add(packName(kSoundPack), sounds.build().at(0));

    // The sound-set commands open these packs and read nothing from them.
    for (int p : kSoundSetPacks) {
        formats::PackWriter empty;
        empty.add({0});
        archive.add(packName(p), empty.build());
    }
}

}  // namespace sample_data
