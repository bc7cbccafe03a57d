// The text packs, the character and number look-ups beneath the text engine, and the growth of
// its line and page tables.
#include <algorithm>
#include <cstring>

#include "framework/core/game_base.h"
#include "framework/sprite/sprite.h"
#include "framework/text/game_text.h"
#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/lang/system.h"

GameText::TextStatics GameText::textStatics;

namespace {

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

int32_t lengthOf(const JArray* a) { return isNull(a) || !a->data ? 0 : a->length; }

IntArray* newArray(int32_t length, IntArray*) { return om()->newIntArray(length); }
ByteArray* newArray(int32_t length, ByteArray*) { return om()->newByteArray(length); }

// Replaces the table by a copy of `length` elements (the old ones first) unless it is that long
// already; false when there is no room. Tables grown before a failure stay grown.
template <class A>
bool growTo(A*& table, int32_t length) {
    if (lengthOf(table) >= length) return true;
    A* to = newArray(length, table);
    if (!to) return false;
    int32_t keep = lengthOf(table);
    if (keep > 0) std::memcpy(to->elements(), table->elements(), sizeof(*to->elements()) * std::size_t(keep));
    table = to;
    return true;
}

// The pack's byte and offset tables, or false.
bool packTables(int32_t pack, ByteArray*& data, ShortArray*& ends) {
    auto& s = GameText::textStatics;
    if (pack < 0 || pack >= GameText::kTextPacks) return false;
    if (lengthOf(s.textPackData) <= pack || lengthOf(s.textPackOffsets) <= pack) return false;
    data = static_cast<ByteArray*>(s.textPackData->elements()[pack]);
    ends = static_cast<ShortArray*>(s.textPackOffsets->elements()[pack]);
    return !isNull(data) && !isNull(ends);
}

}  // namespace

void GameText::initTextStatics() {
    TextStatics& s = textStatics;
    mrc::ObjectManager* heap = om();
    if (isNull(s.textPackData)) s.textPackData = heap->newObjectArray(mrc::kClass_ByteArray, kTextPacks);
    if (isNull(s.textPackOffsets)) s.textPackOffsets = heap->newObjectArray(mrc::kClass_ShortArray, kTextPacks);
    if (isNull(s.lineStarts) || isNull(s.lineWidths) || isNull(s.lineFonts)) {
        s.lineStarts = heap->newIntArray(kInitialLines);
        s.lineWidths = heap->newIntArray(kInitialLines);
        s.lineFonts = heap->newByteArray(kInitialLines);
        s.lineIndex = 0;
    }
    if (isNull(s.pageStarts) || isNull(s.pageFirstLine) || isNull(s.pageY) || isNull(s.pageWidth) ||
        isNull(s.pageArgIndex) || isNull(s.pageFont) || isNull(s.pagePalette)) {
        s.pageStarts = heap->newIntArray(kInitialPages);
        s.pageFirstLine = heap->newIntArray(kInitialPages);
        s.pageY = heap->newIntArray(kInitialPages);
        s.pageWidth = heap->newIntArray(kInitialPages);
        s.pageArgIndex = heap->newByteArray(kInitialPages);
        s.pageFont = heap->newByteArray(kInitialPages);
        s.pagePalette = heap->newByteArray(kInitialPages);
        s.pageIndex = 0;
    }
    if (isNull(s.textArgs)) s.textArgs = heap->newIntArray(kTextArgs);
    if (isNull(s.digitBuffer)) s.digitBuffer = heap->newByteArray(kDigitBufferSize);
    if (isNull(s.digitChars)) {
        s.digitChars = heap->newByteArray(16);
        if (s.digitChars) std::memcpy(s.digitChars->elements(), "0123456789abcdef", 16);
    }
    if (isNull(s.frameRectTemp)) s.frameRectTemp = heap->newIntArray(4);
    s.textCachedPack = s.textCachedString = -1;
}

// ---- text packs --------------------------------------------------------------------------------------

int32_t GameText::getTextStart(int32_t pack, int32_t i) {
    ByteArray* data;
    ShortArray* ends;
    if (!packTables(pack, data, ends) || i < 0 || i >= lengthOf(ends)) return -1;
    return i == 0 ? 0 : ends->elements()[i - 1] & 0xFFFF;
}

int32_t GameText::getTextLength(int32_t pack, int32_t i, int32_t start) {
    ByteArray* data;
    ShortArray* ends;
    if (start < 0 || !packTables(pack, data, ends) || i < 0 || i >= lengthOf(ends)) return -1;
    return (ends->elements()[i] & 0xFFFF) - start;
}

void GameText::unloadTextTable(int32_t pack) {
    TextStatics& s = textStatics;
    if (pack < 0 || pack >= kTextPacks) return;
    if (pack < lengthOf(s.textPackData)) s.textPackData->elements()[pack] = nullptr;
    if (pack < lengthOf(s.textPackOffsets)) s.textPackOffsets->elements()[pack] = nullptr;
    java_lang_System::gc();
}

// ---- characters and numbers ----------------------------------------------------------------------

namespace {

int32_t scaled(int32_t v) {
    if (!(GameBase::statics.paintEffectFlags & 0x0001)) return v;
    return v * GameBase::getPaintScalePercent() / 100;
}

}  // namespace

int32_t ASprite::getCharWidth(int32_t m) {
    if (m < 0 || m >= lengthOf(moduleWidth)) return 0;
    return scaled(moduleWidth->elements()[m] & 0xFF);
}

int32_t GameText::scaledLowByte(ASprite* font) {
    if (isNull(font) || lengthOf(font->moduleHeight) < 1) return 0;
    return scaled(font->moduleHeight->elements()[0] & 0xFF);
}

int32_t GameText::formatNumber(int32_t value, int32_t base, int32_t digits) {
    TextStatics& s = textStatics;
    if (base < 2 || base > lengthOf(s.digitChars)) {
        mrc_log("Game::formatNumber: base %d", base);
        return 0;
    }
    int32_t count = digits;
    if (count < 0) {
        count = value == 0 ? 1 : 0;
        for (int32_t v = value; v >= 1; v /= base) ++count;
    }
    int32_t room = lengthOf(s.digitBuffer);
    if (count > room) {
        mrc_log("Game::formatNumber: %d digits; the buffer holds %d", count, room);
        count = room;
    }
    if (count == 0) return 0;
    int8_t* out = s.digitBuffer->elements();
    const int8_t* chars = s.digitChars->elements();
    // A negative value with a fixed count gives the digits of its magnitude.
    int64_t v = value < 0 ? -int64_t(value) : value;
    for (int32_t k = count - 1; k >= 0; --k) {
        out[k] = chars[v % base];
        v /= base;
    }
    return count;
}

int32_t GameText::decodeUtf8Char(ByteArray* b, int32_t i) {
    if (!mrc::arrayAccessOk(b, i)) return 0;
    int32_t lead = uint8_t(b->elements()[i]);
    if ((lead & 0xE0) != 0xC0 || i + 1 >= b->length) return lead;
    return (lead & 0x1F) << 6 | (b->elements()[i + 1] & 0x3F);
}

bool GameText::isUtf8TwoByteLead(ByteArray* b, int32_t i) {
    if (!mrc::arrayAccessOk(b, i)) return false;
    return (b->elements()[i] & 0xE0) == 0xC0;
}

void GameText::setTextArg(int32_t i, int32_t value) {
    if (i < 0 || i >= kTextArgs) return;
    if (isNull(textStatics.textArgs)) initTextStatics();
    if (i < lengthOf(textStatics.textArgs)) textStatics.textArgs->elements()[i] = value;
}

// ---- table growth -----------------------------------------------------------------------------------

bool GameText::loadIntTable() {
    TextStatics& s = textStatics;
    int32_t next = s.lineIndex + 1;
    int32_t have = std::min({lengthOf(s.lineStarts), lengthOf(s.lineWidths), lengthOf(s.lineFonts)});
    if (next >= have) {
        int32_t length = std::max(have, next) + kLineGrowth;
        if (!growTo(s.lineStarts, length) || !growTo(s.lineWidths, length) || !growTo(s.lineFonts, length)) {
            mrc_log("Game::loadIntTable: no room for %d lines", length);
            return false;
        }
    }
    s.lineIndex = next;
    return true;
}

bool GameText::loadIntTables() {
    TextStatics& s = textStatics;
    int32_t next = s.pageIndex + 1;
    if (next > kMaxPages) {
        mrc_log("Game::loadIntTables: more than %d pages", kMaxPages);
        return false;
    }
    int32_t have = std::min({lengthOf(s.pageStarts), lengthOf(s.pageFirstLine), lengthOf(s.pageY),
                             lengthOf(s.pageWidth), lengthOf(s.pageArgIndex), lengthOf(s.pageFont),
                             lengthOf(s.pagePalette)});
    if (next >= have) {
        int32_t length = std::max(have, next) + kPageGrowth;
        if (!growTo(s.pageStarts, length) || !growTo(s.pageFirstLine, length) || !growTo(s.pageY, length) ||
            !growTo(s.pageWidth, length) || !growTo(s.pageArgIndex, length) || !growTo(s.pageFont, length) ||
            !growTo(s.pagePalette, length)) {
            mrc_log("Game::loadIntTables: no room for %d pages", length);
            return false;
        }
    }
    s.pageIndex = static_cast<int8_t>(next);
    return true;
}

IntArray* GameText::getFrameRectTemp(ASprite* sprite, int32_t frame, int32_t x, int32_t y, int32_t flags) {
    TextStatics& s = textStatics;
    if (isNull(s.frameRectTemp)) s.frameRectTemp = om()->newIntArray(4);
    if (isNull(s.frameRectTemp)) return nullptr;
    GameBase::getFrameRect(sprite, s.frameRectTemp, frame, x, y, flags);
    return s.frameRectTemp;
}
