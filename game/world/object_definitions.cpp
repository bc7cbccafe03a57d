// The definition sets of the definitions pack (the interface layouts and the level's placed
// things) and the level's tile sprites with their module mappings.
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"

namespace {

constexpr int32_t kKindSprite = 0, kKindPanel = 5, kKindExtraA = 10, kKindExtraB = 11;
constexpr int32_t kExtraLength = 10;
constexpr int32_t kNoSprite = 10;  // a kind-0 record of slot 10 gets an instance without a sprite
constexpr int32_t kRecordHeader = 8;
constexpr int32_t kLevelSpritePack = 6, kMappingsPack = 16;
constexpr int32_t kTileSprite = 10, kTileSpriteB = 11, kTileSpriteShared = 12;
constexpr int32_t kPlayerSpriteIdA = 60, kPlayerSpriteIdB = 61;
constexpr int32_t kLevelSpritesFlag = 0x200;

mrc::Application* app() { return mrc::ApplicationImpl::getApplication(); }
mrc::ObjectManager* om() { return app()->objectManager; }

// Bytes are read by index on every access: the tables allocated while walking may move the data.
int32_t u8(ByteArray* d, int32_t at) { return JArray::getByte(d, at) & 0xFF; }
int32_t s16(ByteArray* d, int32_t at) { return int16_t(u8(d, at) | u8(d, at + 1) << 8); }
int32_t valueCount(ByteArray* d, int32_t at) { return u8(d, at + 7); }
int32_t recordSize(ByteArray* d, int32_t at) { return kRecordHeader + 2 * valueCount(d, at); }
bool isExtra(int32_t kind) { return kind == kKindExtraA || kind == kKindExtraB; }

// The end of the records that fit whole in the entry; a record running past it ends the set.
int32_t recordsEnd(ByteArray* d, int32_t set) {
    int32_t at = 0;
    while (at < d->length) {
        if (at + kRecordHeader > d->length || at + recordSize(d, at) > d->length) {
            mrc_log("Game::loadObjectDefinitions: set %d: a record at byte %d runs past its %d bytes", set, at,
                    d->length);
            break;
        }
        at += recordSize(d, at);
    }
    return at;
}

ObjectArray* setTable(ObjectArray* table, int32_t n) { return static_cast<ObjectArray*>(JArray::getRef(table, n)); }

void loadSet(int32_t n, ByteArray* data) {
    LayoutStatics& l = Game::layouts;
    JArray::setInt(Game::flowStatics.s_layoutSelection, n, -1);
    JArray::setRef(l.s_layouts, n, nullptr);
    JArray::setRef(l.s_layoutDefaults, n, nullptr);
    if (isNull(data)) {
        mrc_log("Game::loadObjectDefinitions: the definitions pack has no set %d", n);
        return;
    }
    const int32_t end = recordsEnd(data, n);
    int32_t extras = 0, records = 0, instances = 0;
    for (int32_t at = 0; at < end; at += recordSize(data, at)) {
        const int32_t kind = u8(data, at);
        if (isExtra(kind)) {
            ++extras;
            continue;
        }
        ++records;
        // d5 of a record with fewer than six values counts as none.
        if (kind == kKindSprite && valueCount(data, at) >= 6 && s16(data, at + kRecordHeader + 10) >= 0) ++instances;
    }
    if (extras > 0) {
        ObjectArray* x = om()->newObjectArray(mrc::kClass_IntArray, extras);
        l.s_defExtraRecords = x;
        for (int32_t i = 0; i < extras && !isNull(x); ++i) JArray::setRef(l.s_defExtraRecords, i, om()->newIntArray(kExtraLength));
    }
    JArray::setRef(l.s_layouts, n, om()->newObjectArray(mrc::kClass_ShortArray, records));
    JArray::setRef(l.s_layoutDefaults, n, om()->newObjectArray(mrc::kClass_ShortArray, records));
    JArray::setRef(l.s_layoutInstances, n, om()->newObjectArray(mrc::kClass_ASpriteInstance, instances));
    JArray::setRef(l.s_layoutValuesA, n, om()->newShortArray(instances));
    JArray::setRef(l.s_layoutValuesB, n, om()->newShortArray(instances));

    int32_t r = 0, i = 0, e = 0;
    for (int32_t at = 0; at < end; at += recordSize(data, at)) {
        const int32_t kind = u8(data, at);
        if (isExtra(kind)) {
            Game::parseObjectDefinition(e++, data, at);
            continue;
        }
        const int32_t c = valueCount(data, at);
        ShortArray* record = om()->newShortArray(c + 5);
        ShortArray* origin = om()->newShortArray(2);
        if (isNull(record) || isNull(origin)) return;
        JArray::setShort(record, 0, kind);
        JArray::setShort(record, 1, s16(data, at + 3));
        JArray::setShort(record, 2, s16(data, at + 5));
        JArray::setShort(origin, 0, s16(data, at + 3));
        JArray::setShort(origin, 1, s16(data, at + 5));
        for (int32_t v = 0; v < c; ++v) JArray::setShort(record, 3 + v, s16(data, at + kRecordHeader + 2 * v));
        if (kind == kKindSprite && c >= 3) {
            const int32_t sprite = JArray::getShort(record, 3), bound = JArray::getShort(record, 4);
            const int32_t anim = JArray::getShort(record, 5);
            auto* table = setTable(l.s_layoutInstances, n);
            // Instances stop when the set's tables are full.
            if (anim >= 0 && bound < 0 && !isNull(table) && i < table->length) {
                auto* instance = mrc::newObject<ASpriteInstance>();
                if (instance == nullptr) return;
                ASprite* s = sprite == kNoSprite ? nullptr : Game::spriteSlot(sprite);
                instance->init(s, 0, 0, nullptr);
                instance->setAnim(anim);
                JArray::setRef(setTable(l.s_layoutInstances, n), i, instance);
                JArray::setShort(record, 4, i);
                JArray::setShort(static_cast<JArray*>(JArray::getRef(l.s_layoutValuesA, n)), i, sprite);
                JArray::setShort(static_cast<JArray*>(JArray::getRef(l.s_layoutValuesB, n)), i, anim);
                ++i;
            } else {
                JArray::setShort(record, 5, -1);
            }
        }
        if (kind == kKindPanel && c >= 1) JArray::setInt(Game::flowStatics.s_layoutSelection, n, r);
        JArray::setRef(setTable(l.s_layouts, n), r, record);
        JArray::setRef(setTable(l.s_layoutDefaults, n), r, origin);
        ++r;
    }
}

bool tablesExist() {
    const LayoutStatics& l = Game::layouts;
    return !isNull(l.s_layouts) && !isNull(l.s_layoutDefaults) && !isNull(l.s_layoutInstances) &&
           !isNull(l.s_layoutValuesA) && !isNull(l.s_layoutValuesB);
}

}  // namespace

int32_t Game::parseObjectDefinition(int32_t index, ByteArray* data, int32_t offset) {
    auto* x = static_cast<IntArray*>(JArray::getRef(layouts.s_defExtraRecords, index));
    const int32_t kind = u8(data, offset);
    if (!isNull(x)) {
        JArray::setInt(x, 0, s16(data, offset + 1));
        JArray::setInt(x, 1, s16(data, offset + 3));
        JArray::setInt(x, 2, s16(data, offset + 5));
        JArray::setInt(x, 3, s16(data, offset + kRecordHeader));
        JArray::setInt(x, 4, -1);
        if (kind == kKindExtraB) {
            for (int32_t v = 1; v <= 5; ++v) JArray::setInt(x, 4 + v, s16(data, offset + kRecordHeader + 2 * v));
        } else {
            static constexpr int32_t kTail[] = {-1, 1, -1, -1, -1};
            for (int32_t v = 0; v < 5; ++v) JArray::setInt(x, 5 + v, kTail[v]);
        }
    }
    return offset + (kind == kKindExtraB ? 20 : 10);
}

void Game::loadObjectDefinitions(int32_t first, int32_t last) {
    loadResourceFile(app()->staticClass->getStringConstant(kDefinitionsPackText));
    if (tablesExist())
        for (int32_t n = first; n <= last; ++n) {
            if (n < 0 || n >= kLayoutCount) continue;
            loadSet(n, readPackEntry(n + kDefinitionsFirstEntry));
        }
    closePack();
}

void Game::loadAllLayouts() {
    LayoutStatics& l = layouts;
    l.s_layouts = om()->newObjectArray(mrc::kClass_Object, kLayoutCount);
    l.s_layoutDefaults = om()->newObjectArray(mrc::kClass_Object, kLayoutCount);
    l.s_layoutInstances = om()->newObjectArray(mrc::kClass_Object, kLayoutCount);
    l.s_layoutValuesA = om()->newObjectArray(mrc::kClass_Object, kLayoutCount);
    l.s_layoutValuesB = om()->newObjectArray(mrc::kClass_Object, kLayoutCount);
    for (int32_t n = 0; n < kLayoutCount; ++n) JArray::setInt(flowStatics.s_layoutSelection, n, -1);
    loadObjectDefinitions(0, kLayoutCount - 2);
    updateAnimatedTiles();
}

void Game::loadLayout(int32_t n) { loadObjectDefinitions(n, n); }

void Game::loadLevelSprites() {
    StateStatics& s = stateStatics;
    JArray::setRef(s.sprites, kTileSprite, nullptr);
    JArray::setRef(s.sprites, kTileSpriteB, nullptr);
    constexpr int32_t kFlags = ASprite::kCacheImages | ASprite::kKeepPixelData;
    getSprite(kLevelSpritePack, kTileSpriteB, 1, 0, kFlags, s.sprites);
    getSprite(kLevelSpritePack, kTileSprite, 0, 0, kFlags, s.sprites);
    shareSpriteData(kTileSprite, kTileSpriteB, kTileSpriteShared, true);
    bool used[ASprite::kMappingSlots] = {};
    for (IntArray* list : {CObject::statics.s_itemAnims, CObject::statics.s_pair37}) {
        if (isNull(list)) continue;
        for (int32_t i = 0; i < list->length; ++i) {
            const int32_t m = list->elements()[i];
            if (m >= 0 && m < ASprite::kMappingSlots) used[m] = true;
        }
    }
    ASprite* b = spriteSlot(kTileSpriteB);
    ASprite* a = spriteSlot(kTileSprite);
    for (int32_t m = 0; m < ASprite::kMappingSlots; ++m) {
        if (!used[m]) continue;
        if (b != nullptr && !ASprite::hasModuleMapping(b, m)) b->applyModuleMapping(m, readLoaderEntry(kMappingsPack, m));
        for (ASprite* sprite : {b, a})
            if (sprite != nullptr) sprite->buildModuleCache(sprite->getPalette(), 0, -1, -1, m, ASprite::kCacheImages);
    }
    if (b != nullptr) b->setModuleMapping(0);
    if (a != nullptr) a->setModuleMapping(0);
    updateAnimatedTiles();
}

// Game action 15: the level's tile sprites.
void Game::loadLevelTileSprites() {
    StateStatics& s = stateStatics;
    const bool hasPlayer = !isNull(objects.s_player);
    if (!hasPlayer && (objects.s_playerFlags & kLevelSpritesFlag) != 0) {
        JArray::setRef(s.sprites, kTileSprite, nullptr);
        JArray::setRef(s.sprites, kTileSpriteB, nullptr);
    }
    if (!isNull(JArray::getRef(s.sprites, kTileSprite))) return;
    if (!hasPlayer) {
        loadLevelSprites();
        return;
    }
    JArray::setByte(objects.s_spriteSlots, kPlayerSpriteIdA, kTileSprite);
    JArray::setByte(objects.s_spriteSlots, kPlayerSpriteIdB, kTileSpriteB);
    updateAnimatedTiles();
}
