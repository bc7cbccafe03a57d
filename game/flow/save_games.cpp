// The save games: five fixed records in the platform's record store named by string constant
// 108, each with a byte image in a static of Game that is read once, changed in memory and
// written back whole. 16-bit fields are little-endian and read back sign-extended.
//
// Every store access opens the store, does one operation and closes it; a failure is traced
// with its string constant and the game goes on with the images in memory. A record shorter
// than its layout (a one-byte record never rewritten) restores nothing, and a writer replaces
// such an image with a new one instead of writing past its end.
#include <string>

#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "host/core/log.h"
#include "platform/rms/record_store.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"

GameSaveStatics Game::saves;

namespace {

using Store = javax_microedition_rms_RecordStore;

constexpr int32_t kSettingsRecord = 1, kGameRecord = 2, kProgressRecord = 4, kStatsRecord = 5;
// Trace constants: the operation, then the close.
constexpr int32_t kReadFailed = 489, kReadCloseFailed = 488;
constexpr int32_t kAddFailed = 487, kAddCloseFailed = 486;
constexpr int32_t kWriteFailed = 491, kWriteCloseFailed = 490;

// Record 1.
constexpr int32_t kBestCompletionAt = 7, kLevelCount = 20;
// Record 2.
constexpr int32_t kDoneBitsAt = 12, kDoneBitsLength = 10, kType29At = 22, kType29Length = 40, kKindsAt = 62,
                  kCountersAt = 107;
// Record 5.
constexpr int32_t kCountersABCAt = 80, kStatsItemsAt = 83, kStatsFlagsAt = 85, kUpgradesAt = 87, kPlayerFacingAt = 147,
                  kPlayerParam20At = 149;

mrc::Application* app() { return mrc::ApplicationImpl::getApplication(); }

// Takes a pending exception, tracing it under the constant; true when there was one.
bool caught(int32_t constant) {
    Object* e = app()->getPendingException();
    if (e == nullptr) return false;
    app()->clearPendingException();
    String* text = app()->staticClass->stringConstantOrNull(constant);
    std::string what = mrc::kClassNames[e->classId()];
    auto* message = Object::instanceOf(e, mrc::kClass_java_lang_Throwable) ? static_cast<java_lang_Throwable*>(e)->message
                                                                          : nullptr;
    if (!isNull(message)) what += ": " + message->toUtf8();
    mrc_log("%s %s", isNull(text) ? "" : text->toUtf8().c_str(), what.c_str());
    return true;
}

// The game's store, created when missing; null (traced under `constant`) when it cannot be opened.
Store* openStore(int32_t constant) {
    String* name = app()->staticClass->getStringConstant(Game::kStoreNameConstant);
    Store* store = Store::openRecordStore(name, true);
    if (caught(constant) || isNull(store)) return nullptr;
    return store;
}

void closeStore(Store* store, int32_t constant) {
    store->closeRecordStore();
    caught(constant);
}

// ---- byte images ----

int32_t u8(ByteArray* b, int32_t at) { return b->elements()[at] & 0xFF; }
int32_t s8(ByteArray* b, int32_t at) { return b->elements()[at]; }
int32_t s16(ByteArray* b, int32_t at) {
    return static_cast<int16_t>((b->elements()[at] & 0xFF) | (b->elements()[at + 1] & 0xFF) << 8);
}
void put8(ByteArray* b, int32_t at, int32_t v) { b->elements()[at] = static_cast<int8_t>(v); }
void put16(ByteArray* b, int32_t at, int32_t v) {
    b->elements()[at] = static_cast<int8_t>(v);
    b->elements()[at + 1] = static_cast<int8_t>(v >> 8);
}
// `count` bytes between an image and a table; nothing when the table is shorter.
void copyBytes(ByteArray* from, int32_t fromAt, ByteArray* to, int32_t toAt, int32_t count) {
    if (isNull(from) || isNull(to) || from->length < fromAt + count || to->length < toAt + count) return;
    for (int32_t i = 0; i < count; ++i) to->elements()[toAt + i] = from->elements()[fromAt + i];
}

bool complete(ByteArray* image, int32_t length) { return !isNull(image) && image->length >= length; }

// The cached image when it holds the whole layout, else a new zeroed one (stored in `slot`).
ByteArray* imageFor(ByteArray*& slot, int32_t length, bool fresh) {
    if (fresh || !complete(slot, length)) slot = app()->objectManager->newByteArray(length);
    return slot;
}

CObject* player() {
    CObject* p = Game::objects.s_player;
    return isNull(p) ? nullptr : p;
}

// The player's sprite instance, or null.
ASpriteInstance* playerSprite() {
    CObject* p = player();
    return p && !isNull(p->m_sprite) ? p->m_sprite : nullptr;
}

}  // namespace

// ---- store access ----

ByteArray* Game::loadSaveData(int32_t id) {
    Store* store = openStore(kReadFailed);
    if (!store) return nullptr;
    ByteArray* data = store->getRecord(id);
    if (caught(kReadFailed)) data = nullptr;
    closeStore(store, kReadCloseFailed);
    return isNull(data) ? nullptr : data;
}

void Game::rmsWriteNew(int32_t count) {
    Store* store = openStore(kAddFailed);
    if (!store) return;
    if (store->getNumRecords() == 0 && !caught(kAddFailed)) {
        for (int32_t i = 0; i < count; ++i) {
            store->addRecord(saves.s_oneByte, 0, 1);
            if (caught(kAddFailed)) break;
        }
    }
    closeStore(store, kAddCloseFailed);
}

void Game::rmsWrite(int32_t id, ByteArray* data) {
    if (isNull(data)) return;
    Store* store = openStore(kWriteFailed);
    if (!store) return;
    store->setRecord(id, data, 0, data->length);
    caught(kWriteFailed);
    closeStore(store, kWriteCloseFailed);
}

// ---- start values ----

void Game::initWorldStatics() {
    mrc::ObjectManager* om = app()->objectManager;
    saves.s_saveEnabled = true;
    saves.s_oneByte = om->newByteArray(1);
    objects.s_levelPool = om->newObjectArray(mrc::kClass_CObject, 17);
    objects.s_levelPoolSlots = om->newIntArray(13);
    paintStatics.s_sceneEffect = om->newIntArray(17);
}

// ---- readers ----

void Game::initSaveData() {
    if (saves.s_saveEnabled) saves.s_settingsRecord = loadSaveData(kSettingsRecord);
    ByteArray* r = saves.s_settingsRecord;
    if (isNull(r)) {
        rmsWriteNew(kRecordCount);
        writeSettingsRecord();
        writeLevelProgress();
        return;
    }
    if (!complete(r, kSettingsRecordLength)) return;
    tables.s_hasSavedGame = s8(r, 0);
    stateStatics.currentLevel = u8(r, 1);
    saves.s_reservedByte = s8(r, 2);
    JArray::setByte(flowStatics.s_settings, 0, s8(r, 3));
    tables.s_mapLocation = s8(r, 4);
    saves.s_openLevelSelect = s8(r, 5);
    saves.s_firstRunDone = s8(r, 6) == 1;
    copyBytes(r, kBestCompletionAt, flowStatics.s_bestCompletion, 0, kLevelCount);
}

void Game::loadRecordOptions() {
    saves.s_settingsRecord = loadSaveData(kSettingsRecord);
    if (complete(saves.s_settingsRecord, kSettingsRecordLength))
        copyBytes(saves.s_settingsRecord, kBestCompletionAt, flowStatics.s_bestCompletion, 0, kLevelCount);
}

void Game::loadRecordProgress() {
    if (saves.s_saveEnabled) saves.s_levelProgressRecord = loadSaveData(kProgressRecord);
    if (complete(saves.s_levelProgressRecord, kLevelProgressLength))
        copyBytes(saves.s_levelProgressRecord, 0, flowStatics.s_levelProgress, 0, kLevelProgressLength);
}

void Game::loadSavedGame(bool headerOnly) {
    if (saves.s_saveEnabled) saves.s_gameRecord = loadSaveData(kGameRecord);
    ByteArray* r = saves.s_gameRecord;
    if (!complete(r, kGameRecordLength)) return;
    stateStatics.currentLevel = s8(r, 0);
    saves.s_resumeIndex = u8(r, 1);
    stateStatics.playMode = u8(r, 2);
    saves.s_nextLevel = u8(r, 3);
    saves.s_savedState = u8(r, 4);
    objects.s_currentItem = s8(r, 5);
    if (headerOnly) return;

    if (CObject* p = player()) {
        if (ASpriteInstance* s = playerSprite()) {
            s->x = s16(r, 6) << 14;
            s->y = s16(r, 8) << 14;
        }
        const int32_t energy = s16(r, 10) << 14, half = p->param(19) >> 1;
        p->setParam(13, energy > half ? energy : half);
    }

    // One bit per switchable object: 80 objects at most.
    copyBytes(r, kDoneBitsAt, flowStatics.s_doneObjectBits, 0, kDoneBitsLength);
    for (int32_t i = 0; i < kDoneBitsLength; ++i) {
        const int32_t bits = u8(r, kDoneBitsAt + i);
        for (int32_t b = 0; b < 8; ++b) {
            const int32_t index = 8 * i + b;
            if ((bits & (1 << b)) == 0 || index >= saves.s_switchableCount) continue;
            auto* o = static_cast<CObject*>(JArray::getRef(objects.s_type5Objects, index));
            if (isNull(o)) continue;
            o->setParam(14, 5);
            o->setParam(15, 2);
            o->releaseTimers();
        }
    }

    // The values of the first 40 type-29 objects.
    copyBytes(r, kType29At, flowStatics.s_type29Values, 0, kType29Length);
    ObjectArray* list = objects.s_scriptObjects;
    for (int32_t i = 0, k = 0; !isNull(list) && i < list->length && k < kType29Length; ++i) {
        auto* o = static_cast<CObject*>(list->elements()[i]);
        if (isNull(o) || o->m_type != 29) continue;
        const int32_t v = s8(r, kType29At + k++);
        o->setParam(18, v);
        o->setParam(19, v);
    }

    for (int32_t i = 0; i < kKindCount; ++i) {
        JArray::setByte(stateStatics.kindCounts, i, s8(r, kKindsAt + 3 * i));
        JArray::setShort(stateStatics.kindIndex, i, s16(r, kKindsAt + 3 * i + 1));
    }
    copyBytes(r, kCountersAt, stateStatics.savedCounters, 0, kSavedCounterCount);
}

void Game::loadAndApplyProgressRecord() {
    if (saves.s_saveEnabled) saves.s_statsRecord = loadSaveData(kStatsRecord);
    ByteArray* r = saves.s_statsRecord;
    if (!complete(r, kStatsRecordLength)) {
        saveGameState(true);
        return;
    }
    for (int32_t i = 0; i < kFlagListLength; ++i) JArray::setInt(tables.s_flagList, i, s16(r, 2 * i));
    tables.s_counterA = u8(r, kCountersABCAt);
    tables.s_counterB = u8(r, kCountersABCAt + 1);
    tables.s_counterC = u8(r, kCountersABCAt + 2);
    objects.s_currentItem = s8(r, kStatsItemsAt);
    objects.s_nextItem = s8(r, kStatsItemsAt + 1);
    if (JArray::getByte(flowStatics.s_settings, 4) == 2)
        setAllAbilityFlags();
    else
        objects.s_playerFlags = s16(r, kStatsFlagsAt);
    if (JArray::getByte(flowStatics.s_settings, 6) == 2) {
        tables.s_counterA = tables.s_counterB = 20;
        objects.s_playerFlags |= CObject::kPendingB | CObject::kPendingA | CObject::kPendingC;
        CObject::commitPendingFlags();
    }
    for (int32_t k = 0; k < kUpgradeKinds; ++k)
        for (int32_t c = 0; c < kUpgradeColumns; ++c)
            setUpgradeShort(k, c, s16(r, kUpgradesAt + 2 * (k * kUpgradeColumns + c)));
    if (CObject* p = player()) {
        p->setParam(16, s16(r, kPlayerFacingAt) << 14);
        p->setParam(20, JArray::getByte(flowStatics.s_settings, 5) == 2 ? 99 : s16(r, kPlayerParam20At));
    }
}

// ---- writers ----

void Game::writeSettingsRecord() {
    ByteArray* r = imageFor(saves.s_settingsRecord, kSettingsRecordLength, false);
    if (isNull(r)) return;
    put8(r, 0, tables.s_hasSavedGame);
    put8(r, 1, stateStatics.currentLevel);
    put8(r, 2, saves.s_reservedByte);
    put8(r, 3, JArray::getByte(flowStatics.s_settings, 0));
    put8(r, 4, tables.s_mapLocation);
    put8(r, 5, saves.s_openLevelSelect);
    put8(r, 6, saves.s_firstRunDone ? 1 : 0);
    copyBytes(flowStatics.s_bestCompletion, 0, r, kBestCompletionAt, kLevelCount);
    if (saves.s_saveEnabled) rmsWrite(kSettingsRecord, r);
}

void Game::writeBestCompletion() {
    ByteArray* r = saves.s_settingsRecord;
    if (!complete(r, kSettingsRecordLength)) return;
    copyBytes(flowStatics.s_bestCompletion, 0, r, kBestCompletionAt, kLevelCount);
    rmsWrite(kSettingsRecord, r);
}

void Game::writeLevelProgress() {
    if (!complete(saves.s_levelProgressRecord, kLevelProgressLength)) {
        imageFor(saves.s_levelProgressRecord, kLevelProgressLength, true);
        clearByteTable();
    }
    ByteArray* r = saves.s_levelProgressRecord;
    if (isNull(r)) return;
    copyBytes(flowStatics.s_levelProgress, 0, r, 0, kLevelProgressLength);
    if (saves.s_saveEnabled) rmsWrite(kProgressRecord, r);
}

void Game::saveGameState(bool fresh) {
    ByteArray* r = imageFor(saves.s_statsRecord, kStatsRecordLength, fresh);
    if (isNull(r)) return;
    for (int32_t i = 0; i < kFlagListLength; ++i) put16(r, 2 * i, JArray::getInt(tables.s_flagList, i));
    put8(r, kCountersABCAt, tables.s_counterA);
    put8(r, kCountersABCAt + 1, tables.s_counterB);
    put8(r, kCountersABCAt + 2, tables.s_counterC);
    put8(r, kStatsItemsAt, objects.s_currentItem);
    put8(r, kStatsItemsAt + 1, objects.s_nextItem);
    put16(r, kStatsFlagsAt, objects.s_playerFlags);
    for (int32_t k = 0; k < kUpgradeKinds; ++k)
        for (int32_t c = 0; c < kUpgradeColumns; ++c)
            put16(r, kUpgradesAt + 2 * (k * kUpgradeColumns + c), getUpgradeShort(k, c));
    if (CObject* p = player()) {
        put16(r, kPlayerFacingAt, p->param(16) >> 14);
        put16(r, kPlayerParam20At, p->param(20));
    }
    if (saves.s_saveEnabled) rmsWrite(kStatsRecord, r);
}

void Game::syncSaveData(bool fresh, bool headerOnly) {
    if (fresh || !complete(saves.s_gameRecord, kGameRecordLength)) {
        imageFor(saves.s_gameRecord, kGameRecordLength, true);
        if (CObject* p = player()) p->setParam(16, 0);
        clearSavedObjectBytes();
    }
    ByteArray* r = saves.s_gameRecord;
    if (isNull(r)) return;
    put8(r, 0, stateStatics.currentLevel);
    put8(r, 1, saves.s_resumeIndex);
    put8(r, 2, stateStatics.playMode);
    put8(r, 3, saves.s_nextLevel);
    put8(r, 4, overlayStatics.gameState);
    put8(r, 5, objects.s_currentItem);

    if (!headerOnly) {
        // Without a player, bytes 6-11 keep what they hold.
        if (CObject* p = player()) {
            if (ASpriteInstance* s = playerSprite()) {
                put16(r, 6, s->x >> 14);
                put16(r, 8, s->y >> 14);
            }
            const int32_t energy = p->param(13), half = p->param(19) >> 1;
            put16(r, 10, (energy > half ? energy : half) >> 14);
        }

        // Bits are only ever added; the record holds 80 objects.
        ByteArray* done = flowStatics.s_doneObjectBits;
        ObjectArray* switchables = objects.s_type5Objects;
        const int32_t bitCount = 8 * kDoneBitsLength;
        for (int32_t i = 0; !isNull(switchables) && !isNull(done) && i < switchables->length && i < bitCount; ++i) {
            auto* o = static_cast<CObject*>(switchables->elements()[i]);
            if (isNull(o) || o->param(14) != 5 || o->param(15) != 2) continue;
            JArray::setByte(done, i >> 3, JArray::getByte(done, i >> 3) | (1 << (i & 7)));
        }
        copyBytes(done, 0, r, kDoneBitsAt, kDoneBitsLength);

        // The values of the first 40 type-29 objects.
        ObjectArray* list = objects.s_scriptObjects;
        for (int32_t i = 0, k = 0; !isNull(list) && i < list->length && k < kType29Length; ++i) {
            auto* o = static_cast<CObject*>(list->elements()[i]);
            if (isNull(o) || o->m_type != 29) continue;
            JArray::setByte(flowStatics.s_type29Values, k++, o->param(19));
        }
        copyBytes(flowStatics.s_type29Values, 0, r, kType29At, kType29Length);

        for (int32_t i = 0; i < kKindCount; ++i) {
            put8(r, kKindsAt + 3 * i, JArray::getByte(stateStatics.kindCounts, i));
            put16(r, kKindsAt + 3 * i + 1, JArray::getShort(stateStatics.kindIndex, i));
        }
        copyBytes(stateStatics.savedCounters, 0, r, kCountersAt, kSavedCounterCount);
    }

    if (saves.s_saveEnabled) {
        rmsWrite(kGameRecord, r);
        tables.s_hasSavedGame = 1;
    }
    writeSettingsRecord();
    if (headerOnly) return;
    writeLevelProgress();
    saveGameState(fresh);
}

void Game::resetSaveData() {
    ByteArray* best = flowStatics.s_bestCompletion;
    if (!isNull(best))
        for (int32_t i = 0; i < best->length; ++i) best->elements()[i] = 0;
    stateStatics.playMode = 0;
    saves.s_settingsRecord = nullptr;
    saves.s_statsRecord = nullptr;
    initList40();
    initSlots3440();
    saveGameState(true);
    tables.s_hasSavedGame = 0;
    saves.s_gameRecord = nullptr;
    tables.s_mapLocation = 0;
    saves.s_openLevelSelect = 0;
    writeSettingsRecord();
    saves.s_levelProgressRecord = nullptr;
    writeLevelProgress();
}
