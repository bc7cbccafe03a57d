#include "platform/graphics/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

#include "host/core/log.h"

namespace mrc::gfx {

struct FontEngine::Library {
    FT_Library handle = nullptr;
    ~Library() {
        if (handle) FT_Done_FreeType(handle);
    }
};

const std::vector<std::string>& systemFontPaths() {
    static const std::vector<std::string> paths = {
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
        "/usr/share/fonts/TTF/DejaVuSans.ttf",
        "/usr/share/fonts/dejavu/DejaVuSans.ttf",
    };
    return paths;
}

FontEngine* FontEngine::system() {
    static std::unique_ptr<FontEngine> font = [] {
        for (const std::string& path : systemFontPaths()) {
            FILE* f = std::fopen(path.c_str(), "rb");
            if (!f) continue;
            std::fclose(f);
            if (auto engine = open(path, kSystemFontPixels)) return engine;
        }
        mrc_log("FontEngine: no system font (DejaVu Sans) found");
        return std::unique_ptr<FontEngine>();
    }();
    return font.get();
}

std::unique_ptr<FontEngine> FontEngine::open(const std::string& path, int pixelSize) {
    auto library = std::make_shared<Library>();
    if (FT_Init_FreeType(&library->handle) != 0) {
        library->handle = nullptr;
        mrc_log("FontEngine: FreeType did not start");
        return nullptr;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library->handle, path.c_str(), 0, &face) != 0) {
        mrc_log("FontEngine: cannot open %s", path.c_str());
        return nullptr;
    }
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        mrc_log("FontEngine: %s has no size %d", path.c_str(), pixelSize);
        FT_Done_Face(face);
        return nullptr;
    }
    std::unique_ptr<FontEngine> engine(new FontEngine());
    engine->m_library = std::move(library);
    engine->m_face = face;
    // Whole pixels, rounded outwards, as the device's text metrics report them.
    engine->m_ascent = static_cast<int32_t>((face->size->metrics.ascender + 63) >> 6);
    engine->m_descent = static_cast<int32_t>((-face->size->metrics.descender + 63) >> 6);
    return engine;
}

FontEngine::~FontEngine() {
    if (m_face) FT_Done_Face(static_cast<FT_Face>(m_face));
}

const FontEngine::Glyph& FontEngine::glyphLocked(char16_t c) {
    auto found = m_glyphs.find(c);
    if (found != m_glyphs.end()) return found->second;
    Glyph g;
    auto face = static_cast<FT_Face>(m_face);
    if (FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) {
        FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bm = slot->bitmap;
        g.advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = static_cast<int32_t>(bm.width);
        g.rows = static_cast<int32_t>(bm.rows);
        g.ink.assign(std::size_t(g.width) * g.rows, 0);
        for (int32_t y = 0; y < g.rows; ++y) {
            const unsigned char* row = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
            for (int32_t x = 0; x < g.width; ++x) {
                bool on = bm.pixel_mode == FT_PIXEL_MODE_MONO ? (row[x >> 3] >> (7 - (x & 7))) & 1 : row[x] >= 128;
                g.ink[std::size_t(y) * g.width + x] = on ? 1 : 0;
            }
        }
    }
    return m_glyphs.emplace(c, std::move(g)).first->second;
}

int32_t FontEngine::charWidth(char16_t c) {
    std::lock_guard lock(m_mutex);
    return glyphLocked(c).advance;
}

int32_t FontEngine::measure(const char16_t* text, int32_t count) {
    if (!text || count <= 0) return 0;
    std::lock_guard lock(m_mutex);
    int64_t width = 0;
    for (int32_t i = 0; i < count; ++i) width += glyphLocked(text[i]).advance;
    return static_cast<int32_t>(std::min<int64_t>(width, INT32_MAX));
}

void FontEngine::render(const char16_t* text, int32_t count, uint8_t* mask, int32_t w, int32_t h) {
    if (!text || !mask || w <= 0 || h <= 0) return;
    std::lock_guard lock(m_mutex);
    int64_t pen = 0;
    for (int32_t i = 0; i < count; ++i) {
        const Glyph& g = glyphLocked(text[i]);
        int64_t x0 = pen + g.left, y0 = int64_t(m_ascent) - g.top;
        for (int32_t y = 0; y < g.rows; ++y) {
            int64_t my = y0 + y;
            if (my < 0 || my >= h) continue;
            for (int32_t x = 0; x < g.width; ++x) {
                int64_t mx = x0 + x;
                if (mx >= 0 && mx < w && g.ink[std::size_t(y) * g.width + x]) mask[my * w + mx] = 1;
            }
        }
        pen += g.advance;
    }
}

}  // namespace mrc::gfx
