#include "platform/lcdui/font.h"

#include <algorithm>

#include "platform/graphics/font_engine.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"

using mrc::ApplicationImpl;
using LcduiFont = javax_microedition_lcdui_Font;

LcduiFont::Statics LcduiFont::statics{};

void LcduiFont::registerStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    mrc::StaticClass::registerStatics("javax_microedition_lcdui_Font", &statics);
}

void javax_microedition_lcdui_Font::Font(int32_t faceValue, int32_t styleValue, int32_t sizeValue) {
    initNative(faceValue, styleValue, sizeValue);
}

void LcduiFont::initNative(int32_t faceValue, int32_t styleValue, int32_t sizeValue) {
    face = faceValue;
    style = styleValue;
    size = sizeValue;
    mrc::gfx::FontEngine* engine = mrc::gfx::FontEngine::system();
    ascent = engine ? engine->ascent() : 0;
    height = engine ? engine->height() : 0;
}

namespace {

LcduiFont* makeFont(int32_t face, int32_t style, int32_t size) {
    LcduiFont* f = mrc::newObject<LcduiFont>();
    if (f) f->Font(face, style, size);
    return f;
}

}  // namespace

LcduiFont* LcduiFont::getDefaultFont() {
    registerStatics();
    if (!statics.defaultFont) statics.defaultFont = makeFont(0, 0, 0);
    return statics.defaultFont;
}

LcduiFont* LcduiFont::getFont(int32_t faceValue, int32_t styleValue, int32_t sizeValue) {
    registerStatics();
    int32_t key = faceValue | styleValue | sizeValue;
    for (int32_t i = 0; i < statics.fontCount && statics.fonts; ++i) {
        auto* f = static_cast<LcduiFont*>(statics.fonts->elements()[i]);
        if (f && (f->face | f->style | f->size) == key) return f;
    }
    LcduiFont* f = makeFont(faceValue, styleValue, sizeValue);
    if (!f) return nullptr;
    mrc::ObjectManager* om = ApplicationImpl::getApplication()->objectManager;
    if (!statics.fonts || statics.fontCount == statics.fonts->length) {
        ObjectArray* grown = om->newObjectArray(mrc::kClass_javax_microedition_lcdui_Font,
                                                statics.fonts ? statics.fonts->length * 2 : 4);
        if (!grown) return f;  // served, not cached
        for (int32_t i = 0; i < statics.fontCount; ++i) grown->elements()[i] = statics.fonts->elements()[i];
        statics.fonts = grown;
    }
    statics.fonts->elements()[statics.fontCount++] = f;
    return f;
}

LcduiFont* LcduiFont::getFont(int32_t specifier) {
    if (specifier == kFontStaticText || specifier == kFontInputText) return getDefaultFont();
    mrc::raise(mrc::kClass_java_lang_IllegalArgumentException);
    return nullptr;
}

namespace {

int32_t measure(const char16_t* text, int64_t count) {
    mrc::gfx::FontEngine* engine = mrc::gfx::FontEngine::system();
    return engine && count > 0 ? engine->measure(text, static_cast<int32_t>(count)) : 0;
}

}  // namespace

int32_t LcduiFont::stringWidth(String* s) {
    if (isNull(s)) {
        ApplicationImpl::getApplication()->reportError("NullPointer");
        return 0;
    }
    return measure(s->chars, s->count());
}

int32_t LcduiFont::substringWidth(String* s, int32_t offset, int32_t length) {
    if (isNull(s)) {
        ApplicationImpl::getApplication()->reportError("NullPointer");
        return 0;
    }
    if (offset < 0 || offset > s->count()) return 0;
    return measure(s->chars + offset, std::min<int64_t>(length, s->count() - offset));
}

int32_t LcduiFont::charWidth(char16_t c) { return measure(&c, 1); }

int32_t LcduiFont::charsWidth(CharArray* chars, int32_t offset, int32_t length) {
    if (isNull(chars)) {
        ApplicationImpl::getApplication()->reportError("NullPointer");
        return 0;
    }
    if (offset < 0 || offset > chars->length) return 0;
    return measure(chars->elements() + offset, std::min<int64_t>(length, chars->length - offset));
}
