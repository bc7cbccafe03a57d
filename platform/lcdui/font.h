// javax.microedition.lcdui.Font: every Font, whatever its face, style and size, measures and
// draws with the one system font (FontEngine::system()). Fonts are cached by face | style | size.
#pragma once

#include <cstdint>

#include "runtime/core/arrays.h"

class String;

class javax_microedition_lcdui_Font : public Object {
public:
    MRC_CLASS(javax_microedition_lcdui_Font, Object);

    static constexpr int32_t kStyleBold = 1;
    static constexpr int32_t kStyleItalic = 2;
    static constexpr int32_t kStyleUnderlined = 4;
    static constexpr int32_t kFontStaticText = 0;
    static constexpr int32_t kFontInputText = 1;

    virtual int32_t getSize() { return size; }      // slot 6
    virtual int32_t getHeight() { return height; }  // slot 7

    // The Java constructor: stores the three values, then initNative.
    void Font(int32_t face, int32_t style, int32_t size);
    // Ascent and height of the system font (0 when it cannot be had).
    void initNative(int32_t face, int32_t style, int32_t size);

    static javax_microedition_lcdui_Font* getDefaultFont();
    static javax_microedition_lcdui_Font* getFont(int32_t face, int32_t style, int32_t size);
    // 0 and 1 give the default Font; anything else raises IllegalArgumentException (null).
    static javax_microedition_lcdui_Font* getFont(int32_t specifier);

    bool isPlain() const { return style == 0; }
    bool isBold() const { return (style & kStyleBold) != 0; }
    bool isItalic() const { return (style & kStyleItalic) != 0; }
    bool isUnderlined() const { return (style & kStyleUnderlined) != 0; }
    int32_t getFace() const { return face; }
    int32_t getStyle() const { return style; }
    int32_t getBaselinePosition() const { return ascent; }

    // Widths in pixels; a range beyond the text counts only the characters there are (0 when
    // the offset is past the end).
    int32_t stringWidth(String* s);
    int32_t substringWidth(String* s, int32_t offset, int32_t length);
    int32_t charWidth(char16_t c);
    int32_t charsWidth(CharArray* chars, int32_t offset, int32_t length);

    int32_t face;
    int32_t style;
    int32_t size;
    int32_t ascent;
    int32_t height;

    // The default Font and the cache of Fonts (an Object[] of the Fonts made, searched by key).
    struct Statics {
        javax_microedition_lcdui_Font* defaultFont;
        ObjectArray* fonts;
        int32_t fontCount;
        MRC_REF_FIELDS(&Statics::defaultFont, &Statics::fonts);
    };
    static Statics statics;
    // Registers the statics with StaticClass; idempotent, done on first use.
    static void registerStatics();
};
