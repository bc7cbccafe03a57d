// Game's small tables: the packed per-kind records, the upgrade table, the flag list, the
// per-level progress bytes, the range records, the scene-effect parameters and the map
// locations, with their one-line accessors and resets. The indexes are the game's own constants
// and data: they are not checked beyond what every array access checks.
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "runtime/core/application.h"
#include "runtime/core/object_manager.h"

GameTableStatics Game::tables;

namespace {

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

int32_t packedEntry(int32_t kind, int32_t i) {
    const int32_t offset = JArray::getShort(Game::tables.s_summaryIndex, kind) & 0xFFFF;
    return JArray::getShort(Game::tables.s_summaryTable, offset + i);
}

JArray* upgradeRow(int32_t kind) { return static_cast<JArray*>(JArray::getRef(Game::tables.s_upgradeTable, kind)); }

}  // namespace

int32_t Game::getPackedShort(int32_t kind, int32_t i) { return packedEntry(kind, i) & 0xFFFF; }
int32_t Game::getPackedSigned(int32_t kind, int32_t i) { return packedEntry(kind, i); }

int32_t Game::getUpgradeShort(int32_t kind, int32_t c) { return JArray::getShort(upgradeRow(kind), c); }
int32_t Game::getUpgradeShortAt2(int32_t kind, int32_t c) { return JArray::getShort(upgradeRow(kind), c + 2); }
void Game::setUpgradeShort(int32_t kind, int32_t c, int32_t v) { JArray::setShort(upgradeRow(kind), c, v); }
void Game::setUpgradeShortAt2(int32_t kind, int32_t c, int32_t v) { JArray::setShort(upgradeRow(kind), c + 2, v); }
void Game::setUpgradeShortAt4(int32_t kind, int32_t c, int32_t v) { JArray::setShort(upgradeRow(kind), c + 4, v); }

void Game::initSlots3440() {
    // The table is a root before its rows are allocated.
    tables.s_upgradeTable = om()->newObjectArray(mrc::kClass_ShortArray, kUpgradeKinds);
    for (int32_t k = 0; k < kUpgradeKinds; ++k) JArray::setRef(tables.s_upgradeTable, k, om()->newShortArray(kUpgradeColumns));
}

void Game::initList40() {
    tables.s_counterA = tables.s_counterB = tables.s_counterC = 0;
    tables.s_flagList = om()->newIntArray(kFlagListLength);
}

bool Game::testFlagListBit(int32_t a, int32_t b) {
    const int32_t bit = b & 0xFF;
    if (bit >= 32) return false;
    return (JArray::getInt(tables.s_flagList, a) & (1 << bit)) != 0;
}

void Game::clearByteTable() {
    ByteArray* progress = flowStatics.s_levelProgress;
    if (isNull(progress)) return;
    for (int32_t i = 0; i < progress->length; ++i) progress->elements()[i] = -1;
}

void Game::clearLevelProgress(int32_t level) {
    ByteArray* progress = flowStatics.s_levelProgress;
    if (isNull(progress)) return;
    const int32_t first = level * kProgressPerLevel;
    for (int32_t i = first; i < first + kProgressPerLevel && i < progress->length; ++i) {
        if (!mrc::arrayAccessOk(progress, i) || progress->elements()[i] < 0) return;
        progress->elements()[i] = -1;
    }
}

bool Game::isModeOne() { return tables.s_hasSavedGame == 1; }

void Game::clearSavedObjectBytes() {
    for (ByteArray* bytes : {flowStatics.s_doneObjectBits, flowStatics.s_type29Values})
        if (!isNull(bytes))
            for (int32_t i = 0; i < bytes->length; ++i) bytes->elements()[i] = 0;
}

bool Game::isHeldObjectActive() {
    CObject* player = objects.s_player;
    return !isNull(player) && player->param(14) > 0;
}

int32_t Game::getShortAt(int32_t a, int32_t b) {
    return JArray::getShort(static_cast<JArray*>(JArray::getRef(tables.s_rangeEntries, a)), b);
}

void Game::copyParam9To10() {
    IntArray* effect = paintStatics.s_sceneEffect;
    JArray::setInt(effect, 10, JArray::getInt(effect, 9));
    JArray::setInt(effect, 9, 0);
}

int32_t Game::percentOfMax() {
    const int32_t p = JArray::getInt(paintStatics.s_sceneEffect, 3) >> 14;
    return JArray::getInt(paintStatics.s_sceneEffect, 11) != 0 ? p : (100 - p) * 100 / 50;
}

void Game::selectMapLocation(int32_t n) {
    auto* record = static_cast<JArray*>(JArray::getRef(tables.s_mapLocations, n));
    ASpriteInstance* marker = tables.s_infoInstance;
    if (isNull(marker)) {
        mrc::ApplicationImpl::getApplication()->reportError("NullPointer");
    } else {
        marker->x = JArray::getInt(record, 1) << 14;
        marker->y = JArray::getInt(record, 2) << 14;
    }
    tables.s_mapLocation = n;
}
