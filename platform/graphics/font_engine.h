// The device's one system font: a DejaVu Sans face through FreeType, hinted and rendered for
// monochrome (no anti-aliasing), measured and drawn a UTF-16 unit at a time.
//
// Thread-safe: one lock guards the face and the glyph cache.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace mrc::gfx {

class FontEngine {
public:
    // Pixel size (em) of the system font.
    static constexpr int kSystemFontPixels = 16;

    // The system font, loaded on first use; null, with a trace once, when no DejaVu Sans file
    // can be opened.
    static FontEngine* system();
    // A face from a file at a pixel size; null, with a trace, on failure.
    static std::unique_ptr<FontEngine> open(const std::string& path, int pixelSize);

    ~FontEngine();
    FontEngine(const FontEngine&) = delete;
    FontEngine& operator=(const FontEngine&) = delete;

    // Pixels above the baseline, below it, and their sum (the line height).
    int32_t ascent() const { return m_ascent; }
    int32_t descent() const { return m_descent; }
    int32_t height() const { return m_ascent + m_descent; }

    int32_t charWidth(char16_t c);
    // Sum of the characters' advances.
    int32_t measure(const char16_t* text, int32_t count);
    // Ink of the text, its pen starting at 0 and its baseline at ascent(), into a w × h mask of
    // one byte per pixel (1 ink, 0 background). Ink outside the mask is dropped.
    void render(const char16_t* text, int32_t count, uint8_t* mask, int32_t w, int32_t h);

private:
    struct Glyph {
        int32_t advance = 0;
        int32_t left = 0;  // from the pen to the bitmap's first column
        int32_t top = 0;   // from the baseline up to the bitmap's first row
        int32_t width = 0;
        int32_t rows = 0;
        std::vector<uint8_t> ink;  // width × rows, 0 or 1
    };
    struct Library;

    FontEngine() = default;
    const Glyph& glyphLocked(char16_t c);

    std::mutex m_mutex;
    std::shared_ptr<Library> m_library;
    void* m_face = nullptr;  // FT_Face
    int32_t m_ascent = 0;
    int32_t m_descent = 0;
    std::unordered_map<char16_t, Glyph> m_glyphs;
};

// Where the system font's file is looked for, in order.
const std::vector<std::string>& systemFontPaths();

}  // namespace mrc::gfx
