// The bitmap-font text engine: the layout pass (lines, wrapping, pages), the drawing pass with its
// markup, anchored, wrapped and paged drawing with progressive reveal, and the entry points on
// pack strings.
//
// Text bytes are read through the array at every step: growing the tables and painting may
// allocate, and an allocation may move the bytes.
#include <algorithm>

#include "framework/core/game_base.h"
#include "framework/core/game_hooks.h"
#include "framework/sprite/sprite.h"
#include "framework/text/game_text.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/application.h"

namespace {

using Graphics = javax_microedition_lcdui_Graphics;
GameText::TextStatics& st() { return GameText::textStatics; }

int32_t lengthOf(const JArray* a) { return isNull(a) || !a->data ? 0 : a->length; }
int32_t intAt(IntArray* a, int32_t i) { return i >= 0 && i < lengthOf(a) ? a->elements()[i] : 0; }
int32_t byteAt(ByteArray* a, int32_t i) { return i >= 0 && i < lengthOf(a) ? a->elements()[i] : 0; }
void setInt(IntArray* a, int32_t i, int32_t v) {
    if (i >= 0 && i < lengthOf(a)) a->elements()[i] = v;
}
void setByte(ByteArray* a, int32_t i, int32_t v) {
    if (i >= 0 && i < lengthOf(a)) a->elements()[i] = static_cast<int8_t>(v);
}
int32_t textByte(ByteArray* text, int32_t i) { return uint8_t(text->elements()[i]); }

bool tablesReady() {
    auto& s = st();
    if (isNull(s.lineStarts) || isNull(s.pageStarts) || isNull(s.textArgs) || isNull(s.digitBuffer) ||
        isNull(s.textPackData))
        GameText::initTextStatics();
    return lengthOf(s.lineStarts) > 0 && lengthOf(s.pageStarts) > 1;
}

// The byte range [start, end) of the text that lies inside the array; false for none.
bool clampRange(ByteArray* text, int32_t start, int32_t length, int32_t& end) {
    if (isNull(text) || start < 0 || length < 0) return false;
    end = static_cast<int32_t>(std::min<int64_t>(int64_t(start) + length, text->length));
    return start <= end;
}

// ---- fonts and glyphs ----

ASprite* fontAt(ObjectArray* fonts, int32_t i) {
    if (i < 0 || i >= lengthOf(fonts)) return nullptr;
    Object* o = fonts->elements()[i];
    return Object::instanceOf(o, mrc::kClass_ASprite) ? static_cast<ASprite*>(o) : nullptr;
}

int32_t heightOf(ASprite* font) { return GameText::scaledLowByte(font); }
int32_t heightOf(ObjectArray* fonts, int32_t i) { return heightOf(fontAt(fonts, i)); }

// The frame-module index of frame 0's first module (a font's glyph 0).
int32_t firstGlyph(ASprite* f) { return lengthOf(f->frameFirstModule) > 0 ? f->frameFirstModule->elements()[0] : 0; }

int32_t glyphOffsetX(ASprite* f, int32_t j) {
    return j >= 0 && j < lengthOf(f->fmOffsetX) ? f->fmOffsetX->elements()[j] : 0;
}
int32_t spacingX(ASprite* f) { return glyphOffsetX(f, firstGlyph(f)); }
int32_t offsetY0(ASprite* f) {
    int32_t j = firstGlyph(f);
    return j >= 0 && j < lengthOf(f->fmOffsetY) ? f->fmOffsetY->elements()[j] : 0;
}

int32_t spaceAdvance(ASprite* f) { return f->getCharWidth(0) + spacingX(f); }

// The glyph of a character code, or -1 when the glyph table or the font's frame 0 lacks it.
int32_t glyphOf(ASprite* f, int32_t code) {
    ByteArray* table = st().glyphTable;
    if (code < 0 || code >= lengthOf(table)) return -1;
    int32_t g = uint8_t(table->elements()[code]);
    int32_t inFrame = lengthOf(f->frameModuleCount) > 0 ? uint8_t(f->frameModuleCount->elements()[0]) : 0;
    int32_t j = firstGlyph(f) + g;
    if (g >= inFrame || j < 0 || j >= lengthOf(f->fmModule) || j >= lengthOf(f->fmFlags) ||
        j >= lengthOf(f->fmOffsetX) || j >= lengthOf(f->fmOffsetY))
        return -1;
    return g;
}

int32_t glyphAdvance(ASprite* f, int32_t g) {
    int32_t j = firstGlyph(f) + g;
    int32_t m = uint8_t(f->fmModule->elements()[j]) | (f->fmFlags->elements()[j] & 0xC0) << 2;
    return f->getCharWidth(m) - glyphOffsetX(f, j) + spacingX(f);
}

// A character without a glyph takes the room of a space.
int32_t charAdvance(ASprite* f, int32_t code) {
    int32_t g = glyphOf(f, code);
    return g < 0 ? spaceAdvance(f) : glyphAdvance(f, g);
}

// The character at i: a two-byte sequence only when both bytes lie in the range.
int32_t charAt(ByteArray* text, int32_t i, int32_t end, int32_t& size) {
    int32_t b = textByte(text, i);
    if ((b & 0xE0) == 0xC0 && i + 1 < end) {
        size = 2;
        return (b & 0x1F) << 6 | (textByte(text, i + 1) & 0x3F);
    }
    size = 1;
    return b;
}

int32_t nextArg() {
    auto& s = st();
    int32_t i = s.textArgIndex;
    s.textArgIndex = static_cast<int8_t>(i + 1);
    return i >= 0 && i < GameText::kTextArgs ? intAt(s.textArgs, i) : 0;
}

// ---- markup ----

// A '%' sequence: digits d (-1 without), the code letter (0 without) and the digits after it
// (-1 without; read for 'i', 'f' and 'p'), and the position after it.
struct Markup {
    int32_t d = -1;
    int32_t code = 0;
    int32_t value = -1;
    int32_t next = 0;
};

int32_t readNumber(ByteArray* text, int32_t& i, int32_t end) {
    int32_t n = -1;
    while (i < end) {
        int32_t c = textByte(text, i);
        if (c < '0' || c > '9') break;
        n = std::min((n < 0 ? 0 : n) * 10 + (c - '0'), 1 << 20);
        ++i;
    }
    return n;
}

Markup parseMarkup(ByteArray* text, int32_t percent, int32_t end) {
    Markup m;
    int32_t i = percent + 1;
    m.d = readNumber(text, i, end);
    if (i < end) m.code = textByte(text, i++);
    if (m.code == 'i' || m.code == 'f' || m.code == 'p') m.value = readNumber(text, i, end);
    m.next = i;
    return m;
}

// Width of the digits of `value` (a field of d digits when d > 0).
int32_t numberWidth(ASprite* f, int32_t d, int32_t value) {
    if (d > 0) return d * charAdvance(f, '0');
    if (d < 0) {
        int32_t count = GameText::formatNumber(value, 10, -1), width = 0;
        for (int32_t k = 0; k < count; ++k) width += charAdvance(f, byteAt(st().digitBuffer, k));
        return width;
    }
    return 0;
}

// Measured width of icon frame n, or -1 when the icon sprite has no such frame.
int32_t iconWidth(ASprite* icons, int32_t n) {
    if (isNull(icons) || n < 0 || n >= lengthOf(icons->frameModuleCount)) return -1;
    IntArray* r = GameText::getFrameRectTemp(icons, n, 0, 0, 0);
    if (lengthOf(r) < 4) return 0;
    return std::max(r->elements()[2] - r->elements()[0], 0);
}

// ---- layout pass ----

class Layout {
public:
    Layout(ObjectArray* fonts, ASprite* icons, ByteArray* text, int32_t end, int32_t maxWidth, int32_t maxHeight,
           int32_t pages)
        : m_fonts(fonts), m_icons(icons), m_text(text), m_end(end), m_maxWidth(maxWidth), m_maxHeight(maxHeight),
          m_pages(pages) {}

    int32_t run(int32_t start);

private:
    ASprite* font() const { return fontAt(m_fonts, st().textFont); }
    void beginLine(int32_t pos);
    // Closes the current line at `breakPos`; false when the pass stops (at m_stop).
    bool endLine(int32_t breakPos, int32_t width);
    // Records the page that starts at pos with the current state; false when the tables are full.
    bool openPage(int32_t pos, int32_t arg, int32_t fontIndex, int32_t palette, int32_t firstLine);
    void markup(const Markup& m);

    ObjectArray* m_fonts;
    ASprite* m_icons;
    ByteArray* m_text;
    int32_t m_end, m_maxWidth, m_maxHeight, m_pages;
    int32_t m_stop = 0;

    int32_t m_width = 0;
    bool m_lineOpen = false;
    // The state at the current line's start, for a line that moves to the next page.
    int32_t m_lineStart = 0, m_lineArg = 0, m_lineFont = 0, m_linePalette = 0;
    // The last space of the line.
    struct Space {
        bool seen = false;
        int32_t pos = 0, width = 0, lineFont = 0, arg = 0, font = 0, palette = 0;
    } m_space;
};

void Layout::beginLine(int32_t pos) {
    auto& s = st();
    m_lineStart = pos;
    m_lineArg = s.textArgIndex;
    m_lineFont = s.textFont;
    m_linePalette = s.textPalette;
    m_width = 0;
    m_space = Space{};
    m_lineOpen = true;
    setByte(s.lineFonts, s.lineIndex, s.textFont);
}

bool Layout::openPage(int32_t pos, int32_t arg, int32_t fontIndex, int32_t palette, int32_t firstLine) {
    if (!GameText::loadIntTables()) return false;
    auto& s = st();
    int32_t p = s.pageIndex;
    setInt(s.pageStarts, p, pos);
    setInt(s.pageFirstLine, p, firstLine);
    setInt(s.pageY, p, 0);
    setInt(s.pageWidth, p, 0);
    setByte(s.pageArgIndex, p, arg);
    setByte(s.pageFont, p, fontIndex);
    setByte(s.pagePalette, p, palette);
    return true;
}

bool Layout::endLine(int32_t breakPos, int32_t width) {
    auto& s = st();
    int32_t line = s.lineIndex;
    int32_t height = heightOf(m_fonts, byteAt(s.lineFonts, line)) + s.textLineSpacing;
    // A line that does not fit under the page's others opens the next page.
    if (line > intAt(s.pageFirstLine, s.pageIndex) && intAt(s.pageY, s.pageIndex) + height > m_maxHeight) {
        m_stop = m_lineStart;
        if (!openPage(m_lineStart, m_lineArg, m_lineFont, m_linePalette, line)) return false;
        if (s.pageIndex >= m_pages) return false;
    }
    int32_t p = s.pageIndex;
    setInt(s.lineStarts, line, breakPos);
    setInt(s.lineWidths, line, width);
    setInt(s.pageY, p, intAt(s.pageY, p) + height);
    setInt(s.pageWidth, p, std::max(intAt(s.pageWidth, p), width));
    m_lineOpen = false;
    m_stop = breakPos;
    return GameText::loadIntTable();
}

void Layout::markup(const Markup& m) {
    auto& s = st();
    ASprite* f = font();
    if (m.d > 0) m_width += m.d * charAdvance(f, '0');
    switch (m.code) {
        case 'n': {
            int32_t value = nextArg();
            if (m.d < 0) m_width += numberWidth(f, -1, value);
            break;
        }
        case 'i': {
            int32_t w = iconWidth(m_icons, m.value >= 0 ? m.value : nextArg());
            if (w >= 0) m_width += w + spacingX(f);
            break;
        }
        case 'f': {
            if (!fontAt(m_fonts, m.value)) break;
            s.textFont = static_cast<int8_t>(m.value);
            s.textPalette = 0;
            int32_t line = s.lineIndex;
            if (heightOf(m_fonts, m.value) > heightOf(m_fonts, byteAt(s.lineFonts, line)))
                setByte(s.lineFonts, line, m.value);
            break;
        }
        case 'p':
            if (m.value >= 0 && m.value < f->paletteCount) s.textPalette = static_cast<int8_t>(m.value);
            break;
        case '%': m_width += charAdvance(f, '%'); break;
        default: break;
    }
}

int32_t Layout::run(int32_t start) {
    auto& s = st();
    if (!font()) {
        mrc_log("Game::measureText: no font %d", s.textFont);
        return start;
    }
    int32_t p = s.pageIndex;
    setInt(s.pageStarts, p, start);
    setInt(s.pageFirstLine, p, s.lineIndex);
    setInt(s.pageY, p, 0);
    setInt(s.pageWidth, p, 0);
    setByte(s.pageArgIndex, p, s.textArgIndex);
    setByte(s.pageFont, p, s.textFont);
    setByte(s.pagePalette, p, s.textPalette);
    beginLine(start);
    bool pageOpen = true;

    int32_t i = start;
    while (i < m_end) {
        ASprite* f = font();
        int32_t size;
        int32_t c = charAt(m_text, i, m_end, size);
        if ((c == '\\' && i + 1 < m_end && textByte(m_text, i + 1) == 'n') || c == 10) {
            int32_t breakPos = c == 10 ? i : i + 1;
            if (!endLine(breakPos, m_width - spacingX(f))) return m_stop;
            i = breakPos + 1;
            beginLine(i);
            continue;
        }
        if (c == ' ') {
            m_space = Space{true, i, m_width, byteAt(s.lineFonts, s.lineIndex), s.textArgIndex, s.textFont,
                            s.textPalette};
            m_width += spaceAdvance(f);
            i += 1;
        } else if (c == '%') {
            Markup m = parseMarkup(m_text, i, m_end);
            if (m.code == 'j') {
                if (!endLine(m.next - 1, m_width)) return m_stop;
                if (!openPage(m.next, s.textArgIndex, s.textFont, s.textPalette, s.lineIndex) ||
                    s.pageIndex >= m_pages)
                    return m.next;
                i = m.next;
                pageOpen = i < m_end;
                if (pageOpen) beginLine(i);
                continue;
            }
            markup(m);
            i = m.next;
        } else {
            if (c > 32) m_width += charAdvance(f, c);
            i += size;
        }
        if (m_width > m_maxWidth && m_space.seen) {
            // Cut at the line's last space: the line ends before it.
            m_width = m_space.width;
            setByte(s.lineFonts, s.lineIndex, m_space.lineFont);
            s.textArgIndex = static_cast<int8_t>(m_space.arg);
            s.textFont = static_cast<int8_t>(m_space.font);
            s.textPalette = static_cast<int8_t>(m_space.palette);
            int32_t after = m_space.pos + 1;
            if (!endLine(m_space.pos, m_width)) return m_stop;
            i = after;
            beginLine(i);
        }
    }
    if (m_lineOpen && !endLine(m_end, m_width)) return m_stop;
    if (pageOpen) openPage(m_end, s.textArgIndex, s.textFont, s.textPalette, s.lineIndex);
    return m_end;
}

// Lays the text out until page p is complete or the text ends, continuing from the last page
// recorded (with the state recorded for it).
void layOutTo(ObjectArray* fonts, ASprite* icons, ByteArray* text, int32_t start, int32_t end, int32_t maxWidth,
              int32_t maxHeight, int32_t p) {
    auto& s = st();
    int32_t target = std::min(p, GameText::kMaxPages - 1);
    while (s.pageIndex <= target) {
        int32_t page = s.pageIndex, from = start;
        if (page > 0) {
            from = intAt(s.pageStarts, page);
            if (from >= end || from < start) return;
            s.textFont = static_cast<int8_t>(byteAt(s.pageFont, page));
            s.textPalette = static_cast<int8_t>(byteAt(s.pagePalette, page));
            s.textArgIndex = static_cast<int8_t>(byteAt(s.pageArgIndex, page));
            s.lineIndex = intAt(s.pageFirstLine, page);
        } else {
            s.lineIndex = 0;
        }
        GameText::measureText(fonts, icons, text, from, end - from, maxWidth, maxHeight, target + 1);
        if (s.pageIndex == page) return;  // the tables are full
    }
}

// ---- drawing pass ----

class Run {
public:
    Run(ObjectArray* fonts, ASprite* icons, ByteArray* text) : m_fonts(fonts), m_icons(icons), m_text(text) {}
    void draw(int32_t start, int32_t end, int32_t x, int32_t y);

private:
    void drawChar(ASprite* f, int32_t code);

    ObjectArray* m_fonts;
    ASprite* m_icons;
    ByteArray* m_text;
    int32_t m_x = 0, m_y = 0;
};

void Run::drawChar(ASprite* f, int32_t code) {
    int32_t g = glyphOf(f, code);
    if (g < 0) {
        m_x += spaceAdvance(f);
        return;
    }
    f->paintFModule(0, g, m_x, m_y, 0);
    m_x += glyphAdvance(f, g);
}

void Run::draw(int32_t start, int32_t end, int32_t x, int32_t y) {
    ASprite::PaintScope paint;  // the run is one picture: bad glyph data raises and traces once
    auto& s = st();
    ASprite* f = fontAt(m_fonts, s.textFont);
    if (!f) return;
    int32_t lineX = x, top = y, lineHeight = heightOf(f);
    m_x = x;
    m_y = y - offsetY0(f);
    int32_t i = start;
    while (i < end) {
        int32_t size;
        int32_t c = charAt(m_text, i, end, size);
        // The 'n' of a pair may lie just past a line's bytes: the line then ends there anyway.
        if (c == '\\' && i + 1 < m_text->length && textByte(m_text, i + 1) == 'n') {
            int32_t down = lineHeight + s.textLineSpacing;
            top += down;
            m_y += down;
            m_x = lineX;
            lineHeight = heightOf(f);
            i += 2;
            continue;
        }
        if (c == ' ' || c == 10) {
            m_x += spaceAdvance(f);
            i += 1;
            continue;
        }
        if (c != '%') {
            if (c > 32) drawChar(f, c);
            i += size;
            continue;
        }
        Markup m = parseMarkup(m_text, i, end);
        i = m.next;
        switch (m.code) {
            case 'n': {
                int32_t count = GameText::formatNumber(nextArg(), 10, m.d);
                bool leading = m.d > 0;
                for (int32_t k = 0; k < count; ++k) {
                    int32_t digit = byteAt(s.digitBuffer, k);
                    if (leading && digit == '0' && k < count - 1) {
                        m_x += charAdvance(f, '0');
                        continue;
                    }
                    leading = false;
                    drawChar(f, digit);
                }
                break;
            }
            case 'i': {
                int32_t n = m.value >= 0 ? m.value : nextArg();
                if (isNull(m_icons) || n < 0 || n >= lengthOf(m_icons->frameModuleCount)) break;
                m_icons->paintFrame(n, m_x, top, 0);
                m_x += iconWidth(m_icons, n) + spacingX(f);
                break;
            }
            case 'f': {
                ASprite* next = fontAt(m_fonts, m.value);
                if (!next) break;
                int32_t down = heightOf(f) - heightOf(next);
                top += down;
                m_y += down;
                s.textFont = static_cast<int8_t>(m.value);
                s.textPalette = 0;
                f = next;
                if (f->paletteCount > 0) f->setPalette(0);
                lineHeight = std::max(lineHeight, heightOf(f));
                break;
            }
            case 'p':
                if (m.value >= 0 && m.value < f->paletteCount) {
                    f->setPalette(m.value);
                    s.textPalette = static_cast<int8_t>(m.value);
                }
                break;
            case '%': drawChar(f, '%'); break;
            default: break;
        }
    }
}

void underline(Graphics* g, int32_t x, int32_t y, int32_t width) {
    g->setColor(GameText::kUnderlineColour);
    g->drawLine(x, y, x + width, y);
}

// The first byte of line k of a text laid out from `start`.
int32_t lineFirstByte(int32_t k, int32_t start) { return k == 0 ? start : intAt(st().lineStarts, k - 1) + 1; }

// The page's lines [first, next) once laid out; false when the page does not exist.
bool pageLines(int32_t p, int32_t& first, int32_t& next) {
    auto& s = st();
    if (p < 0 || p >= s.pageIndex) return false;
    first = intAt(s.pageFirstLine, p);
    next = intAt(s.pageFirstLine, p + 1);
    return next > first;
}

// Restores the font, argument index and (unless kept) palette recorded for page p.
void enterPage(ObjectArray* fonts, int32_t p, bool palette) {
    auto& s = st();
    s.textArgIndex = static_cast<int8_t>(byteAt(s.pageArgIndex, p));
    s.textFont = static_cast<int8_t>(byteAt(s.pageFont, p));
    if (!palette) return;
    s.textPalette = static_cast<int8_t>(byteAt(s.pagePalette, p));
    if (ASprite* f = fontAt(fonts, s.textFont)) f->setPalette(s.textPalette);
}

int32_t alignX(int32_t anchor, int32_t x, int32_t w, int32_t lineWidth) {
    if (anchor & GameText::kRight) return x + w - lineWidth;
    if (anchor & GameText::kHCenter) return x + (w - lineWidth) / 2;
    return x;
}

// ---- entry points on pack strings ----

// Resets the text state for string (t, i) in font f unless it is the cached one (or `force`),
// and finds the string; false for a string that is not there.
bool prepareString(ObjectArray* fonts, int32_t t, int32_t i, int32_t f, bool force, ByteArray*& text,
                   int32_t& start, int32_t& length) {
    auto& s = st();
    if (!tablesReady()) return false;
    if (force || t != s.textCachedPack || i != s.textCachedString) {
        s.textFont = static_cast<int8_t>(f);
        s.textPalette = 0;
        s.textArgIndex = 0;
        s.lineIndex = 0;
        s.pageIndex = 0;
        ASprite* font = fontAt(fonts, f);
        s.textLineSpacing = font ? font->getLineSpacing() : 0;
        s.textCachedPack = t;
        s.textCachedString = i;
    }
    start = GameText::getTextStart(t, i);
    length = GameText::getTextLength(t, i, start);
    if (start < 0 || length < 0) {
        mrc_log("Game: no string %d in text pack %d", i, t);
        return false;
    }
    text = static_cast<ByteArray*>(s.textPackData->elements()[t]);
    return true;
}

// Lays string (t, i) out up to the page and reads the page's entry of `table` (by reference: the
// layout may replace the tables); 0 for a page the string does not have.
int32_t measuredPage(ObjectArray* fonts, ASprite* icons, int32_t t, int32_t i, int32_t f, int32_t maxWidth,
                     int32_t maxHeight, int32_t page, IntArray*& table) {
    ByteArray* text;
    int32_t start, length, first, next;
    if (!prepareString(fonts, t, i, f, false, text, start, length)) return 0;
    layOutTo(fonts, icons, text, start, start + length, maxWidth, maxHeight, page);
    return pageLines(page, first, next) ? intAt(table, page) : 0;
}

}  // namespace

// ---- the engine ------------------------------------------------------------------------------------

int32_t GameText::measureText(ObjectArray* fonts, ASprite* icons, ByteArray* text, int32_t start, int32_t length,
                              int32_t maxWidth, int32_t maxHeight, int32_t pages) {
    int32_t end;
    if (!tablesReady() || !clampRange(text, start, length, end)) return start;
    return Layout(fonts, icons, text, end, maxWidth, maxHeight, pages).run(start);
}

void GameText::drawTextRun(Graphics* g, ObjectArray* fonts, ASprite* icons, ByteArray* text, int32_t start,
                           int32_t length, int32_t x, int32_t y) {
    ASprite::setGraphics(g);
    int32_t end;
    if (!tablesReady() || !clampRange(text, start, length, end)) return;
    Run(fonts, icons, text).draw(start, end, x, y);
}

void GameText::drawTextInBox(Graphics* g, ObjectArray* fonts, ASprite* icons, ByteArray* text, int32_t start,
                             int32_t length, int32_t x, int32_t y, int32_t anchor) {
    ASprite::setGraphics(g);
    TextStatics& s = textStatics;
    int32_t end;
    if (!tablesReady() || !clampRange(text, start, length, end)) return;
    bool underlined = (s.textStyleFlags & kUnderline) != 0;
    int32_t lineWidth = 0;
    if ((anchor & (kHCenter | kVCenter | kRight | kBottom)) || underlined) {
        int8_t font = s.textFont, palette = s.textPalette, arg = s.textArgIndex;
        s.lineIndex = 0;
        s.pageIndex = 0;
        measureText(fonts, icons, text, start, end - start, 800, 480, kMaxPages);
        s.textFont = font;
        s.textPalette = palette;
        s.textArgIndex = arg;
        // The tables no longer hold the layout of the cached string.
        s.textCachedPack = -1;
        lineWidth = intAt(s.lineWidths, 0);
    }
    ASprite* font = fontAt(fonts, s.textFont);
    int32_t height = heightOf(font);
    if (anchor & kRight) x -= lineWidth;
    else if (anchor & kHCenter) x -= lineWidth / 2;
    if (anchor & kBottom) y -= height;
    else if (anchor & kVCenter) y -= height / 2;
    Run(fonts, icons, text).draw(start, end, x, y);
    if (underlined && font && !isNull(g))
        underline(g, x, y + s.textLineSpacing / 2 - offsetY0(font) + height, lineWidth);
}

int32_t GameText::drawTextPaged(Graphics* g, ObjectArray* fonts, ASprite* icons, ByteArray* text, int32_t start,
                                int32_t length, int32_t x, int32_t y, int32_t w, int32_t h, int32_t page,
                                int32_t anchor, int32_t step, int32_t flags) {
    ASprite::setGraphics(g);
    TextStatics& s = textStatics;
    int32_t end;
    if (!tablesReady() || !clampRange(text, start, length, end)) return kLastPage | kPageShown;
    int8_t savedFont = s.textFont, savedArg = s.textArgIndex;
    layOutTo(fonts, icons, text, start, end, w, h, page);
    int32_t first, next;
    if (!pageLines(page, first, next)) {
        s.textFont = savedFont;
        s.textArgIndex = savedArg;
        return kLastPage | kPageShown;
    }
    bool lines = (flags & kRevealLines) != 0;
    int32_t pageEnd = lines ? next : intAt(s.lineStarts, next - 1);
    if (flags & kRevealRestart) s.textRevealCursor = lines ? first : intAt(s.pageStarts, page) + step;
    if (flags & kRevealAll) s.textRevealCursor = pageEnd;
    int32_t cursor = s.textRevealCursor;
    enterPage(fonts, page, !(s.textStyleFlags & kKeepPalette));

    // Lines [first, shown) are drawn; the last of them perhaps only up to the cursor.
    int32_t shown = first;
    while (shown < next && (lines ? shown <= cursor : lineFirstByte(shown, start) <= cursor)) ++shown;
    int32_t pageHeight = intAt(s.pageY, page);
    int32_t top = y + (h - pageHeight) / 2;
    if (flags & kRevealRise) {
        int32_t middle = top + pageHeight / 2;
        for (int32_t k = first; k < shown; ++k) middle -= heightOf(fonts, byteAt(s.lineFonts, k)) + s.textLineSpacing;
        top = std::max(middle, top);
    }
    for (int32_t k = first; k < shown; ++k) {
        int32_t from = lineFirstByte(k, start), to = intAt(s.lineStarts, k);
        if (!lines && cursor < to) to = cursor;
        int32_t lineHeight = heightOf(fonts, byteAt(s.lineFonts, k));
        Run(fonts, icons, text).draw(from, std::clamp(to, from, end), alignX(anchor, x, w, intAt(s.lineWidths, k)),
                                     top);
        if ((s.textStyleFlags & kUnderline) && !isNull(g))
            underline(g, x, top + lineHeight + s.textLineSpacing / 2, w);
        top += lineHeight + s.textLineSpacing;
    }

    if (lines) {
        int32_t now = gameHooks().stateTicks ? gameHooks().stateTicks() : 0;
        if (s.textRevealTick > now) {
            s.textRevealTick = now;
        } else if (now - s.textRevealTick >= step) {
            ++s.textRevealCursor;
            s.textRevealTick = now;
        }
    } else {
        s.textRevealCursor += step;
    }
    int32_t result = 0;
    if (s.textRevealCursor >= pageEnd) {
        s.textRevealCursor = pageEnd;
        result |= kPageShown;
    }
    if (intAt(s.pageStarts, page + 1) == end) result |= kLastPage;
    s.textFont = savedFont;
    s.textArgIndex = savedArg;
    return result;
}

void GameText::drawStringWrapped(Graphics* g, ObjectArray* fonts, ASprite* icons, ByteArray* text, int32_t start,
                                 int32_t length, int32_t x, int32_t y, int32_t w, int32_t h, int32_t page,
                                 int32_t anchor) {
    ASprite::setGraphics(g);
    TextStatics& s = textStatics;
    int32_t end;
    if (!tablesReady() || !clampRange(text, start, length, end)) return;
    layOutTo(fonts, icons, text, start, end, w, h, page);
    int32_t first, next;
    if (!pageLines(page, first, next)) return;
    int32_t pageHeight = intAt(s.pageY, page);
    int32_t top = (anchor & kTop) ? y : (anchor & kBottom) ? y + h - pageHeight : y + (h - pageHeight) / 2;
    enterPage(fonts, page, false);
    for (int32_t k = first; k < next; ++k) {
        int32_t from = lineFirstByte(k, start), to = std::clamp(intAt(s.lineStarts, k), from, end);
        int32_t lineHeight = heightOf(fonts, byteAt(s.lineFonts, k));
        Run(fonts, icons, text).draw(from, to, alignX(anchor, x, w, intAt(s.lineWidths, k)), top);
        if ((s.textStyleFlags & kUnderline) && !isNull(g))
            underline(g, x, top + lineHeight + s.textLineSpacing / 2, w);
        top += lineHeight + s.textLineSpacing;
    }
}

// ---- entry points on pack strings ---------------------------------------------------------------

int32_t GameText::measureTextPageWidth(ObjectArray* fonts, ASprite* icons, int32_t t, int32_t i, int32_t f,
                                       int32_t maxWidth, int32_t maxHeight, int32_t page) {
    return measuredPage(fonts, icons, t, i, f, maxWidth, maxHeight, page, textStatics.pageWidth);
}

int32_t GameText::measureTextPageHeight(ObjectArray* fonts, ASprite* icons, int32_t t, int32_t i, int32_t f,
                                        int32_t maxWidth, int32_t maxHeight, int32_t page) {
    return measuredPage(fonts, icons, t, i, f, maxWidth, maxHeight, page, textStatics.pageY);
}

int32_t GameText::countTextPages(ObjectArray* fonts, ASprite* icons, int32_t t, int32_t i, int32_t f,
                                 int32_t maxWidth, int32_t maxHeight) {
    ByteArray* text;
    int32_t start, length;
    if (!prepareString(fonts, t, i, f, false, text, start, length)) return 0;
    layOutTo(fonts, icons, text, start, start + length, maxWidth, maxHeight, kMaxPages);
    return textStatics.pageIndex;
}

void GameText::drawStringInBox(Graphics* g, ObjectArray* fonts, ASprite* icons, int32_t t, int32_t i, int32_t f,
                               int32_t x, int32_t y, int32_t anchor) {
    ByteArray* text;
    int32_t start, length;
    if (!prepareString(fonts, t, i, f, true, text, start, length)) return;
    drawTextInBox(g, fonts, icons, text, start, length, x, y, anchor);
}

int32_t GameText::drawStringPaged(Graphics* g, ObjectArray* fonts, ASprite* icons, int32_t t, int32_t i, int32_t f,
                                  int32_t x, int32_t y, int32_t w, int32_t h, int32_t page, int32_t anchor,
                                  int32_t step, int32_t flags) {
    ByteArray* text;
    int32_t start, length;
    if (!prepareString(fonts, t, i, f, (flags & kRevealRestart) != 0, text, start, length))
        return kLastPage | kPageShown;
    return drawTextPaged(g, fonts, icons, text, start, length, x, y, w, h, page, anchor, step, flags);
}

// ---- single-font line widths -----------------------------------------------------------------------

int32_t GameText::layoutTextLines(ASprite* font, ByteArray* text, int32_t start, int32_t length) {
    TextStatics& s = textStatics;
    int32_t end;
    if (isNull(font) || !tablesReady() || !clampRange(text, start, length, end)) return 0;
    int32_t width = 0;
    for (int32_t i = start; i < end;) {
        int32_t size;
        int32_t c = charAt(text, i, end, size);
        if (c == 10) {
            setInt(s.lineWidths, s.lineIndex, width - spacingX(font));
            if (!loadIntTable()) return width;
            width = 0;
        } else if (c == ' ') {
            width += spaceAdvance(font);
        } else if (c == '%') {
            Markup m = parseMarkup(text, i, end);
            if (m.code == 'n') width += numberWidth(font, m.d, nextArg());
            else if (m.code == '%') width += charAdvance(font, '%');
            i = m.next;
            continue;
        } else if (c > 32) {
            width += charAdvance(font, c);
        }
        i += size;
    }
    setInt(s.lineWidths, s.lineIndex, width);
    return width;
}

int32_t GameText::layoutPackString(ASprite* font, int32_t t, int32_t i) {
    TextStatics& s = textStatics;
    if (!tablesReady()) return 0;
    s.lineIndex = 0;
    s.textArgIndex = 0;
    s.textCachedPack = -1;
    int32_t start = getTextStart(t, i), length = getTextLength(t, i, start);
    if (start < 0 || length < 0) return 0;
    return layoutTextLines(font, static_cast<ByteArray*>(s.textPackData->elements()[t]), start, length);
}
