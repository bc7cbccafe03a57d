#include <cstdlib>

#include "framework/config/qxlib_config.h"
#include "framework/core/game_input.h"
#include "framework/core/qxlib.h"
#include "host/core/clock.h"
#include "platform/lcdui/displayable.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/numbers.h"
#include "runtime/util/hashtable.h"

QXLib::KeyStatics QXLib::keyStatics;

namespace {

QXLib::KeyStatics& ks() { return QXLib::keyStatics; }
GameInput::Statics& gs() { return GameInput::inputStatics; }
bool countMode() { return QXLibConfig::statics.KEYS_AS_HELD_COUNTS != 0; }
int32_t bitOf(int32_t k) { return k >= 0 && k < 32 ? static_cast<int32_t>(1u << k) : 0; }
bool bitSet(int32_t mask, int32_t k) { return (mask & bitOf(k)) != 0; }
bool validKey(int32_t k) { return k >= 0 && k < QXLib::kGameKeyCount; }

java_lang_Integer* boxed(int32_t value) {
    auto* i = mrc::newObject<java_lang_Integer>();
    if (i != nullptr) i->init(value);
    return i;
}

void map(java_util_Hashtable* table, int32_t code, int32_t gameKey) {
    if (table != nullptr) table->put(boxed(code), boxed(gameKey));
}

int32_t lookUp(java_util_Hashtable* table, int32_t code) {
    if (table == nullptr) return 0;
    java_lang_Integer* key = boxed(code);
    auto* value = static_cast<java_lang_Integer*>(table->get(key));
    return value != nullptr ? value->byteValue() : 0;
}

// The count of game key k, or null outside the array.
int8_t* countOf(ByteArray* counts, int32_t k) {
    if (counts == nullptr || !validKey(k) || k >= counts->length) return nullptr;
    return &counts->elements()[k];
}

}  // namespace

void QXLib::initTables() {
    ks().keyTable = java_util_Hashtable::newInstance(11);
    ks().actionKeyTable = java_util_Hashtable::newInstance(11);
}

void QXLib::initKeyTable() {
    initTables();
    const QXLibConfig::Statics& c = QXLibConfig::statics;
    static constexpr int32_t kKeypad[][2] = {{'0', 6}, {'1', 7}, {'2', 1}, {'3', 9},  {'4', 3},  {'5', 5},
                                            {'6', 4}, {'7', 13}, {'8', 2}, {'9', 15}, {'*', 16}, {'#', 17}};
    for (const auto& [code, key] : kKeypad) map(ks().keyTable, code, key);
    const bool leftFirst = c.SOFT_KEYS_LEFT_FIRST != 0;
    map(ks().keyTable, c.KEY_SOFT_LEFT, leftFirst ? 18 : 19);
    map(ks().keyTable, c.KEY_SOFT_RIGHT, leftFirst ? 19 : 18);
    map(ks().actionKeyTable, c.KEY_FIRE, 5);
    map(ks().actionKeyTable, c.KEY_UP, 1);
    map(ks().actionKeyTable, c.KEY_DOWN, 2);
    map(ks().actionKeyTable, c.KEY_LEFT, 3);
    map(ks().actionKeyTable, c.KEY_RIGHT, 4);
    ks().heldKeyCode = kNoHeldKey;
}

int32_t QXLib::getGameKey(int32_t code) {
    if (QXLibConfig::statics.KEY_CODES_ABSOLUTE != 0) code = std::abs(code);
    int32_t k = lookUp(ks().keyTable, code);
    return k != 0 ? k : lookUp(ks().actionKeyTable, code);
}

void QXLib::allocKeyCounts() {
    mrc::ObjectManager* om = mrc::ApplicationImpl::getApplication()->objectManager;
    ks().keyCounts = om->newByteArray(kGameKeyCount);
    ks().keyCountsSnapshot = om->newByteArray(kGameKeyCount);
}

void QXLibKeyEvents::keyPressed(javax_microedition_lcdui_Displayable* canvas, int32_t code) {
    if (countMode()) {
        int8_t* n = countOf(ks().keyCounts, QXLib::getGameKey(code));
        if (n == nullptr || *n > 0) return;
        if (*n < 0) *n = 0;
        if (*n < QXLib::kMaxKeyCount) ++*n;
        return;
    }
    if (QXLibConfig::statics.SINGLE_KEY_MODE != 0) {
        int32_t held = ks().heldKeyCode;
        if (held != code && held != QXLib::kNoHeldKey && canvas != nullptr) canvas->keyReleased(held);
        ks().heldKeyCode = code;
    }
    int32_t bit = bitOf(QXLib::getGameKey(code));
    ks().keysPressedPending.fetch_or(bit);
    ks().keysDown.fetch_or(bit);
}

void QXLibKeyEvents::keyReleased(int32_t code) {
    if (countMode()) {
        int8_t* n = countOf(ks().keyCounts, QXLib::getGameKey(code));
        if (n != nullptr && *n >= 1) *n = static_cast<int8_t>(-*n);
        return;
    }
    if (QXLibConfig::statics.SINGLE_KEY_MODE != 0 && code == ks().heldKeyCode) ks().heldKeyCode = QXLib::kNoHeldKey;
    int32_t bit = bitOf(QXLib::getGameKey(code));
    ks().keysReleasedPending.fetch_or(bit);
    ks().keysDown.fetch_and(~bit);
}

void QXLib::snapshotKeys() {
    if (!countMode()) {
        ks().keysPressedSnapshot = ks().keysPressedPending.exchange(0);
        ks().keysReleasedSnapshot = ks().keysReleasedPending.exchange(0);
        ks().keysHeldSnapshot = ks().keysDown.load();
        return;
    }
    for (int32_t k = 0; k < kGameKeyCount; ++k) {
        int8_t* n = countOf(ks().keyCounts, k);
        int8_t* snap = countOf(ks().keyCountsSnapshot, k);
        if (n == nullptr || snap == nullptr) return;
        *snap = *n;
        if (*n < 0) {
            *n = 0;
        } else if (*n > 0 && *n < kMaxKeyCount) {
            ++*n;
            if (k >= 18) *n = static_cast<int8_t>(-*n);
        }
    }
}

void QXLib::clearKeys() {
    if (!countMode()) {
        ks().keysDown = 0;
        ks().keysPressedPending = 0;
        ks().keysReleasedPending = 0;
        ks().keysPressedSnapshot = 0;
        ks().keysReleasedSnapshot = 0;
        ks().keysHeldSnapshot = 0;
        return;
    }
    for (ByteArray* a : {ks().keyCounts, ks().keyCountsSnapshot})
        if (a != nullptr)
            for (int32_t k = 0; k < a->length; ++k) a->elements()[k] = 0;
}

bool QXLib::isKeyHeld(int32_t k) {
    if (!countMode()) return bitSet(ks().keysHeldSnapshot, k);
    const int8_t* n = countOf(ks().keyCountsSnapshot, k);
    return n != nullptr && *n > 0;
}

bool QXLib::wasKeyPressed(int32_t k) {
    if (!countMode()) return bitSet(ks().keysPressedSnapshot, k);
    const int8_t* n = countOf(ks().keyCountsSnapshot, k);
    return n != nullptr && *n == 1;
}

bool QXLib::wasKeyReleased(int32_t k) {
    if (!countMode()) return bitSet(ks().keysReleasedSnapshot, k);
    const int8_t* n = countOf(ks().keyCountsSnapshot, k);
    return n != nullptr && *n < 0;
}

int32_t QXLib::firstPressedKey() {
    for (int32_t k = 0; k < kGameKeyCount; ++k)
        if (wasKeyPressed(k)) return k;
    return -1;
}

int32_t QXLib::firstReleasedKey() {
    for (int32_t k = 0; k < kGameKeyCount; ++k)
        if (wasKeyReleased(k)) return k;
    return -1;
}

void QXLib::computeKeyMasks(Canvas* canvas) {
    GameInput::Statics& g = gs();
    g.keysHeld = 0;
    g.keysPressed = 0;
    for (int32_t k = 1; k < kGameKeyCount; ++k) {
        if (isKeyHeld(k)) g.keysHeld |= bitOf(k);
        if (wasKeyPressed(k)) g.keysPressed |= bitOf(k);
    }
    g.keysHeld |= g.stickyKeys | g.keysPressed;
    if (g.keysHeld == 0) {
        g.keysDoublePressed = 0;
        g.keysRepeat = 0;
    } else {
        const int64_t now = host::tickCount64();
        if (g.keysPressed != 0 && (g.keysPressed & g.lastPressMask) != 0 && now - g.lastPressTime <= 500)
            g.keysDoublePressed = g.keysPressed;
        if (GameInput::gameState() == GameInput::kStateGameplay) {
            if (now - g.lastPressTime <= 300) {
                g.keysDoublePressed = 0;
            } else if (g.pointerDragged != 0 || g.pointerDown != 0) {
                g.keysDoublePressed = 0;
            } else if (firstPressedKey() != 5) {
                clearKeys();
            }
        } else {
            g.keysDoublePressed = 0;
        }
        if (now - g.pointerDownTime <= 500) {
            if (g.keysPressed != 0) {
                g.lastPressTime = now;
                g.lastPressMask = g.keysPressed;
            }
        } else if (canvas != nullptr) {
            canvas->keyRepeated(g.currentKeyCode);
        }
        if (g.pointerDown == 0) g.pointerDownTime = now;
        g.keysRepeat = (g.lastPressMask & g.keysHeld) != 0 ? g.keysHeld : 0;
    }
    if (g.keyLockFrames > 0) --g.keyLockFrames;
    if (firstReleasedKey() != -1) g.keyReleasedFlag = 1;
}

void QXLib::resetKeys(int32_t lockFrames) {
    GameInput::Statics& g = gs();
    g.keysPressed = g.keysHeld = g.keysRepeat = g.keysDoublePressed = g.lastPressMask = g.stickyKeys = 0;
    g.keyLockFrames = lockFrames;
    clearKeys();
}

bool QXLib::wasKeyPressedWithin(int32_t mask, int32_t ms) {
    const GameInput::Statics& g = gs();
    if (g.keyLockFrames != 0 || g.lastPressMask == 0 || (g.lastPressMask & mask) == 0) return false;
    const int64_t now = host::tickCount64();
    for (int32_t k = 1; k < kGameKeyCount; ++k)
        if (bitSet(mask, k) && wasKeyReleased(k) && now - g.lastPressTime <= ms) return true;
    return false;
}

int32_t QXLib::keyCodeToMask(int32_t code) {
    switch (code) {
        case -7: return 0x80000;
        case -6: return 0x40000;
        case -5: return 32;
        case -4: return 16;
        case -3: return 8;
        case -2: return 4;
        case -1: return 2;
        case '#': return 0x20000;
        case '*': return 0x10000;
        default: return code >= '0' && code <= '9' ? 64 << (code - '0') : 0;
    }
}

void QXLib::pushKeyQueue(int32_t mask) {
    GameInput::Statics& g = gs();
    IntArray* queue = g.keyQueue;
    if (queue == nullptr || g.keyQueueCount < 0 || g.keyQueueCount >= queue->length) return;
    queue->elements()[g.keyQueueCount++] = mask;
}

bool QXLib::isPointInRect(int32_t x, int32_t y, int32_t rx, int32_t ry, int32_t rw, int32_t rh) {
    return rx < x && x < rx + rw && ry < y && y < ry + rh;
}

int32_t QXLib::touchGridValueAt(int32_t x, int32_t y) {
    const GameInput::Statics& g = gs();
    for (int32_t c = 0; c < 3; ++c) {
        for (int32_t r = 0; r < 3; ++r) {
            const int32_t top = g.touchGridTop + r * g.touchCellHeight;
            if (!(c * g.touchCellWidth < x && x < (c + 1) * g.touchCellWidth && top < y && y < top + g.touchCellHeight))
                continue;
            ObjectArray* rows = g.touchGridCodes;
            if (rows == nullptr || r >= rows->length) return kNoGridValue;
            auto* row = static_cast<IntArray*>(rows->elements()[r]);
            return row != nullptr && c < row->length ? row->elements()[c] : kNoGridValue;
        }
    }
    return kNoGridValue;
}

void QXLib::pointerReleaseAsFire(Canvas* canvas, bool fullScreen) {
    const GameInput::Statics& g = gs();
    if (g.pointerReleased == 0 || canvas == nullptr) return;
    const int32_t x = g.pointerReleaseX, y = g.pointerReleaseY;
    const bool inY = fullScreen ? (y >= 1 && y <= 479) : (y >= 1 && y < 480 - g.softKeyBarHeight);
    if (x >= 1 && x <= 799 && inY) canvas->keyPressed(kFireCode);
}

void QXLib::pointerAsKey5(Canvas* canvas) {
    const GameInput::Statics& g = gs();
    if (canvas == nullptr) return;
    const int32_t x = g.pointerReleaseX, y = g.pointerReleaseY;
    if (x >= 1 && x <= 799 && y >= 1 && y <= 459) canvas->keyPressed(kFiveCode);
}
