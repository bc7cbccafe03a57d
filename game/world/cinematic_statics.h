// The cinematic player's tables (`Game::cinematics`): the level's cinematic block as loaded, its
// groups, the per-track state, the actor list and the sprites of made actors; and the level's id
// tables that the loader and the linker resolve ids through.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class BoolArray;
class ByteArray;
class IntArray;
class ObjectArray;
class ShortArray;

struct CinematicStatics {
    ByteArray* s_cineData;  // the block; opcode 37's arguments are rewritten in it on load
    int32_t s_cineGroupCount;
    ShortArray* s_cineGroupIds;
    ByteArray* s_cineGroupTrackCounts;  // unsigned
    int32_t s_cineTrackCount;           // tracks the loader walked whole
    ShortArray* s_cineTrackStart;       // offsets in the block (unsigned)
    ShortArray* s_cineTrackLength;      // bytes, header included (unsigned)
    ByteArray* s_cineTrackKind;         // 0-3
    IntArray* s_cineTrackFlags;         // 0x1 clock runs, 0x2 loops, 0x4 waits, 0x8 released; anim << 16
    BoolArray* s_cineTrackActive;
    IntArray* s_cineTrackClock;  // ms
    IntArray* s_cineTrackActor;  // index in s_cineActors, -1 none
    IntArray* s_cineTrackPos;    // offset of the next key frame, -1 finished
    IntArray* s_cineTrackVx;     // 14-bit fixed point per ms
    IntArray* s_cineTrackVy;

    ObjectArray* s_cineActors;  // CObject[], capacity set by the level code
    int32_t s_cineActorCount;
    ObjectArray* s_cineSprites;  // ASprite[] for kind-3 actors
    int32_t s_cineSpriteCount;

    // The level's id tables while loading and linking (int[][] each); element 1 maps ids to
    // indices ({id, index} rows, `Game::findIndex`).
    ObjectArray* s_levelKeyTables;

    MRC_REF_FIELDS(&CinematicStatics::s_cineData, &CinematicStatics::s_cineGroupIds,
                   &CinematicStatics::s_cineGroupTrackCounts, &CinematicStatics::s_cineTrackStart,
                   &CinematicStatics::s_cineTrackLength, &CinematicStatics::s_cineTrackKind,
                   &CinematicStatics::s_cineTrackFlags, &CinematicStatics::s_cineTrackActive,
                   &CinematicStatics::s_cineTrackClock, &CinematicStatics::s_cineTrackActor,
                   &CinematicStatics::s_cineTrackPos, &CinematicStatics::s_cineTrackVx,
                   &CinematicStatics::s_cineTrackVy, &CinematicStatics::s_cineActors,
                   &CinematicStatics::s_cineSprites, &CinematicStatics::s_levelKeyTables);
};

namespace mrc {
void registerCinematicStatics();
}  // namespace mrc
