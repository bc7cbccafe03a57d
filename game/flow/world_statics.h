// Game's statics of the level's objects, the game tables and the save games: three blocks of the
// static store, each registered with its reference fields.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ASpriteInstance;
class ByteArray;
class CObject;
class IntArray;
class ObjectArray;
class ShortArray;

// The level's object lists (CObject arrays by type), pools and sprite slots, and the player's item
// ring, which CObject's initialiser sets. (The loaded sprites, the kind tallies, the saved counters,
// the play mode and the current level are the state statics' sprites, kindCounts, kindIndex,
// savedCounters, playMode and currentLevel.)
struct GameObjectStatics {
    CObject* s_player;                // type 0
    ObjectArray* s_type1Objects;      // 1
    ObjectArray* s_type5Objects;      // 5: switchable and destructible objects
    ObjectArray* s_attachedObjects;   // 10-13, 17
    ObjectArray* s_type15Objects;     // 15
    ObjectArray* s_type18Objects;     // 18
    ObjectArray* s_type20Objects;     // 20
    ObjectArray* s_scriptObjects;     // 22-27, 29, 31-34, 36
    ObjectArray* s_layerObjects;      // 50
    ObjectArray* s_type62Objects;     // 62, 63
    ObjectArray* s_type69Objects;     // 69
    ObjectArray* s_templates;         // 80-84, 86, 87
    ObjectArray* s_kind0Objects;      // PARAM_KIND 0
    // Pools of typed objects, made by the level set-up.
    ObjectArray* s_projectiles;       // 20 of type 300
    ObjectArray* s_tileObjects;       // 30 of type 301
    ObjectArray* s_effectPool;        // 15 of type 302
    ObjectArray* s_emitterPool;       // 30 of type 303: params[0] its slot, -1 free
    ObjectArray* s_directionalPool;   // 5 of type 305
    ObjectArray* s_tableObjects;      // 10 of type 306
    ObjectArray* s_levelPool;         // CObject[17]: type -1 free
    IntArray* s_levelPoolSlots;       // int[13]: slot -> index in s_levelPool, -1 none

    ByteArray* s_spriteSlots;         // per sprite resource its index in s_sprites, negative none
    int32_t s_nextSpriteSlot;         // the next free slot of s_sprites
    ByteArray* s_lastSpriteSlot;      // [0]: the slot loaded last
    ObjectArray* s_itemSequenceTable;  // per item, per action kind a short[] record
    ObjectArray* s_actionRecords;      // per kind its action records (short[])


    ObjectArray* s_speakers;  // int[][]: the level's cell table
    IntArray* s_sparkList;
    int32_t s_sparkCount;
    ObjectArray* s_randomParticles;  // ASpriteInstance[2]
    int32_t s_randomParticleCount;
    bool s_variantFlag;
    ObjectArray* s_slotRecords;  // int[] per emitter slot
    ObjectArray* s_slotOwners;   // CObject per emitter slot
    ByteArray* s_routeLength;    // waypoints per route
    int32_t s_freeRoutes;
    CObject* s_selectedObject;  // the object the player faces
    bool s_selectedObjectFlag;

    // The item ring and the player's flags (owned items, abilities), set by CObject's initialiser.
    int32_t s_levelTimer;
    int32_t s_previousItem, s_currentItem, s_nextItem;
    int32_t s_playerFlags;

    MRC_REF_FIELDS(&GameObjectStatics::s_player, &GameObjectStatics::s_type1Objects,
                   &GameObjectStatics::s_type5Objects, &GameObjectStatics::s_attachedObjects,
                   &GameObjectStatics::s_type15Objects, &GameObjectStatics::s_type18Objects,
                   &GameObjectStatics::s_type20Objects, &GameObjectStatics::s_scriptObjects,
                   &GameObjectStatics::s_layerObjects, &GameObjectStatics::s_type62Objects,
                   &GameObjectStatics::s_type69Objects, &GameObjectStatics::s_templates,
                   &GameObjectStatics::s_kind0Objects, &GameObjectStatics::s_projectiles,
                   &GameObjectStatics::s_tileObjects, &GameObjectStatics::s_effectPool,
                   &GameObjectStatics::s_emitterPool, &GameObjectStatics::s_directionalPool,
                   &GameObjectStatics::s_tableObjects, &GameObjectStatics::s_levelPool,
                   &GameObjectStatics::s_levelPoolSlots, &GameObjectStatics::s_spriteSlots, &GameObjectStatics::s_itemSequenceTable,
                   &GameObjectStatics::s_actionRecords, &GameObjectStatics::s_speakers, &GameObjectStatics::s_sparkList,
                   &GameObjectStatics::s_randomParticles, &GameObjectStatics::s_slotRecords,
                   &GameObjectStatics::s_slotOwners, &GameObjectStatics::s_routeLength,
                   &GameObjectStatics::s_selectedObject, &GameObjectStatics::s_lastSpriteSlot);
};

// The small tables many parts read: packed kind records, upgrades, flags, range records and map
// locations (the scene effect is the paint statics' s_sceneEffect). (The progress bytes and the saved object images are Game's flow
// statics s_levelProgress, s_doneObjectBits and s_type29Values.)
struct GameTableStatics {
    ShortArray* s_summaryTable;  // the packed per-kind records, one after another
    ShortArray* s_summaryIndex;  // per kind its record's offset (unsigned)
    ObjectArray* s_upgradeTable;  // short[5][6]
    IntArray* s_flagList;         // int[40]
    int32_t s_counterA, s_counterB, s_counterC;
    int32_t s_hasSavedGame;
    ObjectArray* s_rangeEntries;  // short[][]
    ObjectArray* s_mapLocations;  // int[][]: [1] x, [2] y, [3] next
    int32_t s_mapLocation;
    int32_t s_infoMode;       // how the location screen was opened: 1 browsing the map
    bool s_levelSelectBack;   // leaving the location screen returns to the menu
    ASpriteInstance* s_infoInstance;

    MRC_REF_FIELDS(&GameTableStatics::s_summaryTable, &GameTableStatics::s_summaryIndex,
                   &GameTableStatics::s_upgradeTable, &GameTableStatics::s_flagList,
                   &GameTableStatics::s_rangeEntries,
                   &GameTableStatics::s_mapLocations, &GameTableStatics::s_infoInstance);
};

// The save records' images and the values only the saves keep.
struct GameSaveStatics {
    bool s_saveEnabled;  // while clear, the writers only rebuild the images
    ByteArray* s_settingsRecord;       // record 1 (29 bytes)
    ByteArray* s_gameRecord;           // record 2 (118)
    ByteArray* s_levelProgressRecord;  // record 4 (1280)
    ByteArray* s_statsRecord;          // record 5 (151)
    ByteArray* s_oneByte;              // byte[1]: the content of each new record
    int32_t s_reservedByte;
    int32_t s_openLevelSelect;
    bool s_firstRunDone;
    int32_t s_resumeIndex;
    int32_t s_nextLevel;
    int32_t s_summaryChoice;  // after the level summary: 0 next level, 1 the offer, 2 the final level
    int32_t s_savedState;
    int32_t s_switchableCount;

    MRC_REF_FIELDS(&GameSaveStatics::s_settingsRecord, &GameSaveStatics::s_gameRecord,
                   &GameSaveStatics::s_levelProgressRecord, &GameSaveStatics::s_statsRecord,
                   &GameSaveStatics::s_oneByte);
};
