// The text statics and functions of `Game` that belong to the framework: the loaded text packs
// and the look-ups beneath the text engine, and the bitmap-font text engine itself (layout into
// line and page tables, drawing with inline markup, paging and progressive reveal, and the entry
// points on pack strings that cache the layout of the string last shown). GameBase derives from
// this class, so these keep their names on Game (`Game::drawTextPaged`, `Game::textArgs`).
//
// Texts are UTF-8 byte ranges limited to one- and two-byte characters. A font is an ASprite whose
// frame 0 holds one frame module per glyph; `glyphTable` maps a character code to its glyph.
// Markup: backslash-n and byte 10 break a line (byte 10 only while laying out; drawing treats it
// as a space), %% a percent sign, %[d]n the next argument (in a field of d digits), %i[d] an icon
// (frame d of the icon sprite, else the next argument), %f<d> a font, %p<d> a palette of the
// current font, %j a page break.
//
// Game thread only: all text state is static and shared by every text on screen.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ASprite;
class ByteArray;
class IntArray;
class ObjectArray;
class javax_microedition_lcdui_Graphics;

class GameText {
public:
    using Graphics = javax_microedition_lcdui_Graphics;

    static constexpr int32_t kTextPacks = 30;
    static constexpr int32_t kTextArgs = 10;
    static constexpr int32_t kDigitBufferSize = 10;
    static constexpr int32_t kInitialLines = 100;
    static constexpr int32_t kLineGrowth = 100;
    static constexpr int32_t kInitialPages = 10;
    static constexpr int32_t kPageGrowth = 10;
    // The page index is a byte.
    static constexpr int32_t kMaxPages = 127;

    // Anchors (the MIDP values).
    static constexpr int32_t kHCenter = 1;
    static constexpr int32_t kVCenter = 2;
    static constexpr int32_t kRight = 8;
    static constexpr int32_t kTop = 16;
    static constexpr int32_t kBottom = 32;
    // textStyleFlags.
    static constexpr int32_t kUnderline = 0x01;
    static constexpr int32_t kKeepPalette = 0x02;
    // Flags of drawTextPaged.
    static constexpr int32_t kRevealRestart = 0x01;
    static constexpr int32_t kRevealAll = 0x02;
    static constexpr int32_t kRevealRise = 0x04;
    static constexpr int32_t kRevealLines = 0x08;
    // Result bits of drawTextPaged.
    static constexpr int32_t kLastPage = 0x01;
    static constexpr int32_t kPageShown = 0x02;
    static constexpr int32_t kUnderlineColour = 0x69CEF3;

    struct TextStatics {
        ObjectArray* textPackData;     // byte[] per text pack (30 slots)
        ObjectArray* textPackOffsets;  // short[] per text pack: u16 end offset of each string
        ByteArray* digitChars;         // "0123456789abcdef"
        ByteArray* digitBuffer;        // byte[10], formatNumber's output
        IntArray* textArgs;            // int[10], the numbers and icons markup consumes
        ByteArray* glyphTable;         // character code to glyph

        // Layout tables.
        IntArray* lineStarts;  // per line: the position of the break that ends it
        IntArray* lineWidths;
        ByteArray* lineFonts;  // the tallest font of each line
        int32_t lineIndex;
        IntArray* pageStarts;
        IntArray* pageFirstLine;
        IntArray* pageY;      // page height
        IntArray* pageWidth;  // widest line
        ByteArray* pageArgIndex;
        ByteArray* pageFont;
        ByteArray* pagePalette;
        int8_t pageIndex;

        // Text state.
        int8_t textFont;
        int8_t textPalette;
        int8_t textArgIndex;
        int32_t textLineSpacing;
        int32_t textStyleFlags;
        int32_t textCachedPack;  // the (pack, string) whose layout the tables hold; -1 = none
        int32_t textCachedString;
        int32_t textRevealCursor;  // byte position, or line index in line mode
        int32_t textRevealTick;

        IntArray* frameRectTemp;  // int[4]: bounds measured by getFrameRectTemp

        MRC_REF_FIELDS(&TextStatics::textPackData, &TextStatics::textPackOffsets, &TextStatics::digitChars,
                       &TextStatics::digitBuffer, &TextStatics::textArgs, &TextStatics::glyphTable,
                       &TextStatics::lineStarts, &TextStatics::lineWidths, &TextStatics::lineFonts,
                       &TextStatics::pageStarts, &TextStatics::pageFirstLine, &TextStatics::pageY,
                       &TextStatics::pageWidth, &TextStatics::pageArgIndex, &TextStatics::pageFont,
                       &TextStatics::pagePalette, &TextStatics::frameRectTemp);
    };
    static TextStatics textStatics;

    // The text part of Game's static initialiser: the pack tables, the layout tables (100 lines,
    // 10 pages), arguments, digits; no cached string. Entry points create what is missing.
    static void initTextStatics();

    // ---- text tables and look-ups ----

    // Start of string i of pack `pack`, or -1 (no such pack or string).
    static int32_t getTextStart(int32_t pack, int32_t i);
    // Its length, or -1 (as above, or start < 0).
    static int32_t getTextLength(int32_t pack, int32_t i, int32_t start);
    // Empties the pack's slots and asks for a collection.
    static void unloadTextTable(int32_t pack);
    // The font's line height (module 0), scaled while the text scale is on.
    static int32_t scaledLowByte(ASprite* font);
    // Digits of `value` in `base` (2-16) into digitBuffer; returns their count. digits < 0
    // counts them (0 for a negative value); else exactly `digits` of them, zero-padded, the
    // higher ones dropped. At most the buffer's 10 digits are written.
    static int32_t formatNumber(int32_t value, int32_t base, int32_t digits);
    // The character at b[i]: two bytes for a two-byte lead with its second byte in the array.
    static int32_t decodeUtf8Char(ByteArray* b, int32_t i);
    static bool isUtf8TwoByteLead(ByteArray* b, int32_t i);

    static void setTextStyleFlags(int32_t flags) { textStatics.textStyleFlags = flags; }
    // Ignored outside 0..9.
    static void setTextArg(int32_t i, int32_t value);
    // Forgets the cached layout: the next entry point lays its string out again.
    static void resetTextCache() { textStatics.textCachedPack = -1; }
    static IntArray* getLineStarts() { return textStatics.lineStarts; }
    static IntArray* getLineWidths() { return textStatics.lineWidths; }

    // Next line / next page, growing the tables when full (all page tables together). False
    // when they cannot grow (traced).
    static bool loadIntTable();
    static bool loadIntTables();

    // Bounds of the frame painted at (x, y), in frameRectTemp.
    static IntArray* getFrameRectTemp(ASprite* sprite, int32_t frame, int32_t x, int32_t y, int32_t flags);

    // ---- the engine ----

    // Lays text[start, start + length) out from the current line and page into the tables, in
    // lines at most maxWidth wide (wrapped at spaces) and pages at most maxHeight high. Stops
    // when page `pages` would begin; returns where it stopped (the end, or that page's start).
    static int32_t measureText(ObjectArray* fonts, ASprite* icons, ByteArray* text, int32_t start, int32_t length,
                               int32_t maxWidth, int32_t maxHeight, int32_t pages);
    // Draws the bytes with the current font from (x, y).
    static void drawTextRun(Graphics* g, ObjectArray* fonts, ASprite* icons, ByteArray* text, int32_t start,
                            int32_t length, int32_t x, int32_t y);
    // One text at an anchor (8 right, 1 centred, 32 bottom, 2 centred vertically).
    static void drawTextInBox(Graphics* g, ObjectArray* fonts, ASprite* icons, ByteArray* text, int32_t start,
                              int32_t length, int32_t x, int32_t y, int32_t anchor);
    // Page p of the text in the box, revealed step by step (flags 0x01 restart, 0x02 all at
    // once, 0x04 rising from the middle, 0x08 by lines every `step` ticks instead of `step`
    // bytes a call). Result: 0x02 the page is fully shown, 0x01 it is the last page.
    static int32_t drawTextPaged(Graphics* g, ObjectArray* fonts, ASprite* icons, ByteArray* text, int32_t start,
                                 int32_t length, int32_t x, int32_t y, int32_t w, int32_t h, int32_t page,
                                 int32_t anchor, int32_t step, int32_t flags);
    // Page p of the text in the box, whole, placed by the anchor (16 top, 32 bottom, else centred).
    static void drawStringWrapped(Graphics* g, ObjectArray* fonts, ASprite* icons, ByteArray* text, int32_t start,
                                  int32_t length, int32_t x, int32_t y, int32_t w, int32_t h, int32_t page,
                                  int32_t anchor);

    // Entry points on string i of pack t with font f; the layout is kept while the same string
    // is shown again.
    static int32_t measureTextPageWidth(ObjectArray* fonts, ASprite* icons, int32_t t, int32_t i, int32_t f,
                                        int32_t maxWidth, int32_t maxHeight, int32_t page);
    static int32_t measureTextPageHeight(ObjectArray* fonts, ASprite* icons, int32_t t, int32_t i, int32_t f,
                                         int32_t maxWidth, int32_t maxHeight, int32_t page);
    static int32_t countTextPages(ObjectArray* fonts, ASprite* icons, int32_t t, int32_t i, int32_t f,
                                  int32_t maxWidth, int32_t maxHeight);
    // Always lays the string out again.
    static void drawStringInBox(Graphics* g, ObjectArray* fonts, ASprite* icons, int32_t t, int32_t i, int32_t f,
                                int32_t x, int32_t y, int32_t anchor);
    // Lays the string out again also with flags 0x01.
    static int32_t drawStringPaged(Graphics* g, ObjectArray* fonts, ASprite* icons, int32_t t, int32_t i,
                                   int32_t f, int32_t x, int32_t y, int32_t w, int32_t h, int32_t page,
                                   int32_t anchor, int32_t step, int32_t flags);

    // Widths of the lines of the span (broken at byte 10) from the current line on, in one font;
    // returns the last line's width.
    static int32_t layoutTextLines(ASprite* font, ByteArray* text, int32_t start, int32_t length);
    // Width of string i of pack t laid out from line 0; forgets the cached layout.
    static int32_t layoutPackString(ASprite* font, int32_t t, int32_t i);
};
