// Cinematic sequences: the loader of the level's cinematic block, the group and track controls,
// the actor list, and the per-frame stepping of the tracks' key frames.
//
// The block stays in `cinematics.s_cineData` and is read byte by byte at each access: opcode 37
// runs event scripts, which may allocate (and so move the block's elements), so no element
// pointer is held across a command.
#include <vector>

#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"
#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/construct.h"
#include "runtime/lang/string.h"

namespace {

constexpr int32_t kClockRuns = 0x1;
constexpr int32_t kLoops = 0x2;
constexpr int32_t kWaits = 0x4;
constexpr int32_t kReleased = 0x8;
constexpr int32_t kActorListFullText = 455;
constexpr int32_t kNoActorText = 456;
constexpr int32_t kNoActorTextEnd = 457;

mrc::Application* app() { return mrc::ApplicationImpl::getApplication(); }
mrc::ObjectManager* om() { return app()->objectManager; }
String* constant(int32_t n) { return app()->staticClass->getStringConstant(n); }
void trace(String* text) { QXLib::debugText(Game::stateStatics.graphics, false, text, 0, 0); }

CinematicStatics& cs() { return Game::cinematics; }

// Checked reads of the block; 0 outside it.
int32_t blockLength() { return isNull(cs().s_cineData) ? 0 : cs().s_cineData->length; }
int32_t u8(int32_t at) {
    return at >= 0 && at < blockLength() ? static_cast<uint8_t>(cs().s_cineData->elements()[at]) : 0;
}
int32_t s8(int32_t at) { return static_cast<int8_t>(u8(at)); }
int32_t u16(int32_t at) { return u8(at) | u8(at + 1) << 8; }
int32_t s16(int32_t at) { return static_cast<int16_t>(u16(at)); }

// The argument bytes of an opcode; opcodes outside 11-50 have none.
int32_t argumentBytes(int32_t op) {
    switch (op) {
        case 11: case 12: case 21: case 23: case 24: case 31: case 34: case 38: case 41: case 43: case 44:
            return 4;
        case 13: return 5;
        case 22: case 32: case 37: return 2;
        case 35: case 39: return 6;
        case 36: return 8;
        case 42: return 1;
        default: return 0;
    }
}

bool validTrack(int32_t track) { return track >= 0 && track < cs().s_cineTrackCount; }
bool validGroup(int32_t group) { return group >= 0 && group < cs().s_cineGroupCount; }

int32_t trackInt(IntArray* table, int32_t track) { return JArray::getInt(table, track); }
void setTrackInt(IntArray* table, int32_t track, int32_t v) { JArray::setInt(table, track, v); }
int32_t kindOf(int32_t track) { return JArray::getByte(cs().s_cineTrackKind, track); }
int32_t startOf(int32_t track) { return JArray::getShort(cs().s_cineTrackStart, track) & 0xFFFF; }
int32_t endOf(int32_t track) { return startOf(track) + (JArray::getShort(cs().s_cineTrackLength, track) & 0xFFFF); }
int32_t groupTrackCount(int32_t group) { return JArray::getByte(cs().s_cineGroupTrackCounts, group) & 0xFF; }

CObject* actorAt(int32_t index) {
    if (index < 0 || index >= cs().s_cineActorCount || isNull(cs().s_cineActors) ||
        index >= cs().s_cineActors->length)
        return nullptr;
    auto* o = static_cast<CObject*>(cs().s_cineActors->elements()[index]);
    return isNull(o) ? nullptr : o;
}
CObject* actorOf(int32_t track) { return actorAt(trackInt(cs().s_cineTrackActor, track)); }

int32_t animationCount(ASprite* sprite) {
    return isNull(sprite) || isNull(sprite->animFrameCount) ? 0 : sprite->animFrameCount->length;
}

// Animation a on a non-player actor, or through the player's animation pairs.
void setActorAnim(CObject* actor, int32_t a, bool playerExtras) {
    if (actor->m_type != 0) {
        if (!isNull(actor->m_sprite)) actor->m_sprite->setAnim(a);
        return;
    }
    CObject::setPlayerAnimFromPair(actor, a, -1);
    if (!playerExtras) return;
    CObject::statics.s_cinematicAnim = -1;
    auto* first = static_cast<ASprite*>(JArray::getRef(CObject::statics.s_itemSprites, 0));
    if (!isNull(actor->m_sprite) && actor->m_sprite->sprite != first)
        CObject::setCinematicPlayerAnim(a - animationCount(first));
}

// Runs the commands of the key frame at pos on the track's actor; returns the offset past them.
int32_t runKeyFrame(int32_t track, int32_t pos) {
    const int32_t count = u8(pos + 2);
    pos += 3;
    for (int32_t c = 0; c < count; ++c) {
        const int32_t op = u8(pos);
        const int32_t args = pos + 1;
        pos = args + argumentBytes(op);
        CObject* actor = actorOf(track);  // an event script may have changed the list
        switch (op) {
            case 21:
                Game::placeObject(actor, s16(args) << 14, s16(args + 2) << 14);
                break;
            case 22:
                if (actor != nullptr) setActorAnim(actor, s16(args), true);
                break;
            case 23:
            case 50:
                setTrackInt(cs().s_cineTrackFlags, track, trackInt(cs().s_cineTrackFlags, track) | kLoops);
                break;
            case 37: Game::runCinematicScript(s16(args)); break;
            case 41:
                if (actor != nullptr && !isNull(actor->m_sprite)) {
                    actor->m_sprite->x = s16(args) << 14;
                    actor->m_sprite->y = s16(args + 2) << 14;
                }
                break;
            case 42:
                if (actor != nullptr) setActorAnim(actor, s8(args), false);
                break;
            default: break;  // the rest carry data the player does not use
        }
    }
    return pos;
}

// Velocity toward the key frame at pos when its first command moves the actor (kind 2: opcode
// 21, kind 3: opcode 41), so that the actor arrives as that key frame runs.
void prepareMotion(int32_t track, int32_t pos) {
    const int32_t kind = kindOf(track);
    const int32_t op = u8(pos + 2) > 0 ? u8(pos + 3) : -1;
    if (!((kind == 2 && op == 21) || (kind == 3 && op == 41))) return;
    CObject* actor = actorOf(track);
    if (actor == nullptr || isNull(actor->m_sprite)) return;
    const int32_t clock = trackInt(cs().s_cineTrackClock, track);
    // A key frame that is already due runs at once; the divisor stays positive for it.
    int32_t span = u16(pos) * Game::kCineTimeUnitMs - clock + 1;
    if (span < 1) span = 1;
    setTrackInt(cs().s_cineTrackVx, track, ((s16(pos + 4) << 14) - actor->m_sprite->x) / span);
    setTrackInt(cs().s_cineTrackVy, track, ((s16(pos + 6) << 14) - actor->m_sprite->y) / span);
}

// A type-5 actor shows an action animation: any of the four of an action b of its kind's
// records (entry 17 set), for the phases whose entry 11 + phase is set.
bool showsActionAnim(CObject* actor) {
    if (isNull(actor->m_sprite)) return false;
    const int32_t anim = actor->m_sprite->anim;
    auto* records = static_cast<ObjectArray*>(JArray::getRef(Game::objects.s_actionRecords,
                                                             actor->param(CObject::PARAM_KIND)));
    if (isNull(records)) return false;
    for (int32_t r = 0; r < records->length; ++r) {
        auto* record = static_cast<JArray*>(records->elements()[r]);
        if (isNull(record) || JArray::getShort(record, 17) < 0) continue;
        for (int32_t phase = 0; phase <= 2; ++phase) {
            if (JArray::getShort(record, 11 + phase) < 0) continue;
            const int32_t b = actor->actionAnimOffset(r, phase) + 58;
            if (anim >= b && anim < b + 4) return true;
        }
    }
    return false;
}

}  // namespace

CinematicStatics Game::cinematics;

namespace mrc {
void registerCinematicStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("Game.cinematics", &Game::cinematics);
}
}  // namespace mrc

// ---- loading ----

ByteArray* Game::loadCinematicTracks(ByteArray* data) {
    if (isNull(data)) return data;
    CinematicStatics& c = cinematics;
    c.s_cineData = data;
    c.s_cineGroupCount = 0;
    c.s_cineTrackCount = 0;
    const int32_t length = data->length;
    // The group count is a signed byte: a negative one loads no group.
    int32_t groups = s8(0);
    if (groups < 0) {
        mrc_log("Game::loadCinematicTracks: a group count of %d: no group loaded", groups);
        groups = 0;
    }
    if (1 + 3 * groups > length) {
        mrc_log("Game::loadCinematicTracks: %d groups do not fit in %d bytes: no group loaded", groups, length);
        groups = 0;
    }
    std::vector<int32_t> ids, counts;
    int32_t total = 0;
    for (int32_t g = 0; g < groups; ++g) {
        ids.push_back(s16(1 + 3 * g));
        counts.push_back(u8(3 + 3 * g));
        total += counts.back();
    }
    c.s_cineGroupIds = om()->newShortArray(groups);
    c.s_cineGroupTrackCounts = om()->newByteArray(groups);
    c.s_cineTrackStart = om()->newShortArray(total);
    c.s_cineTrackLength = om()->newShortArray(total);
    c.s_cineTrackKind = om()->newByteArray(total);
    c.s_cineTrackFlags = om()->newIntArray(total);
    c.s_cineTrackActive = om()->newBoolArray(total);
    c.s_cineTrackClock = om()->newIntArray(total);
    c.s_cineTrackActor = om()->newIntArray(total);
    c.s_cineTrackPos = om()->newIntArray(total);
    c.s_cineTrackVx = om()->newIntArray(total);
    c.s_cineTrackVy = om()->newIntArray(total);
    if (isNull(c.s_cineGroupIds) || isNull(c.s_cineGroupTrackCounts) || isNull(c.s_cineTrackVy)) return data;
    for (int32_t g = 0; g < groups; ++g) {
        JArray::setShort(c.s_cineGroupIds, g, ids[g]);
        JArray::setByte(c.s_cineGroupTrackCounts, g, counts[g]);
    }
    c.s_cineGroupCount = groups;

    // The walk: a track whose header, key frames or commands run past the block ends it, and
    // only the tracks before it can be started.
    ObjectArray* idTable = static_cast<ObjectArray*>(JArray::getRef(c.s_levelKeyTables, 1));
    int32_t pos = 1 + 3 * groups;
    int32_t walked = 0;
    for (; walked < total; ++walked) {
        const int32_t start = pos;
        const int32_t kind = u8(pos);
        const int32_t flags = u8(pos + 1);
        pos += 2 + (kind == 2 || kind == 3 ? 2 : 0);
        const int32_t keys = u16(pos);
        pos += 2;
        bool whole = pos <= length;
        for (int32_t k = 0; k < keys && whole; ++k) {
            const int32_t commands = u8(pos + 2);
            pos += 3;
            whole = pos <= length;
            for (int32_t n = 0; n < commands && whole; ++n) {
                const int32_t op = u8(pos);
                const int32_t args = pos + 1;
                pos = args + argumentBytes(op);
                whole = pos <= length;
                if (whole && op == 37) {
                    const int32_t index = findIndex(idTable, s16(args));
                    data->elements()[args] = static_cast<int8_t>(index);
                    data->elements()[args + 1] = static_cast<int8_t>(index >> 8);
                }
            }
        }
        if (!whole) {
            mrc_log("Game::loadCinematicTracks: track %d of %d runs past the %d bytes: %d tracks loaded", walked,
                    total, length, walked);
            break;
        }
        JArray::setShort(c.s_cineTrackStart, walked, start);
        JArray::setShort(c.s_cineTrackLength, walked, pos - start);
        JArray::setByte(c.s_cineTrackKind, walked, kind);
        JArray::setInt(c.s_cineTrackFlags, walked, flags);
        JArray::setInt(c.s_cineTrackPos, walked, -1);
    }
    c.s_cineTrackCount = walked;
    return data;
}

// ---- groups ----

int32_t Game::findCinematicGroup(int32_t id) {
    for (int32_t g = 0; g < cinematics.s_cineGroupCount; ++g)
        if (JArray::getShort(cinematics.s_cineGroupIds, g) == id) return g;
    return -1;
}

int32_t Game::getFirstTrackOfGroup(int32_t group) {
    if (!validGroup(group)) return -1;
    int32_t first = 0;
    for (int32_t g = 0; g < group; ++g) first += groupTrackCount(g);
    return first;
}

bool Game::startCinematicGroup(int32_t group) {
    if (!validGroup(group)) return false;
    const int32_t first = getFirstTrackOfGroup(group);
    for (int32_t t = first; t < first + groupTrackCount(group); ++t) {
        if (!validTrack(t)) break;
        startCinematicTrack(t, (trackInt(cinematics.s_cineTrackFlags, t) & kLoops) != 0);
        updateCinematicTrack(t);
    }
    return true;
}

void Game::stopCinematicGroup(int32_t group) {
    if (!validGroup(group)) return;
    const int32_t first = getFirstTrackOfGroup(group);
    for (int32_t t = first; t < first + groupTrackCount(group); ++t) resetCinematicTrack(t);
}

bool Game::isCinematicGroupDone(int32_t group) {
    if (!validGroup(group)) return true;
    const int32_t first = getFirstTrackOfGroup(group);
    for (int32_t t = first; t < first + groupTrackCount(group) && validTrack(t); ++t) {
        const bool active = JArray::getByte(cinematics.s_cineTrackActive, t) != 0;
        if (active && trackInt(cinematics.s_cineTrackPos, t) != -1 &&
            (trackInt(cinematics.s_cineTrackFlags, t) & kLoops) == 0)
            return false;
    }
    return true;
}

void Game::updateCinematics() {
    for (int32_t t = 0; t < cinematics.s_cineTrackCount; ++t) {
        if (JArray::getByte(cinematics.s_cineTrackActive, t) == 0) continue;
        const int32_t flags = trackInt(cinematics.s_cineTrackFlags, t);
        if ((flags & kWaits) != 0 && (flags & kReleased) == 0) continue;
        updateCinematicTrack(t);
    }
}

// ---- tracks ----

void Game::resetCinematicTrack(int32_t track) {
    if (!validTrack(track)) return;
    CinematicStatics& c = cinematics;
    JArray::setByte(c.s_cineTrackActive, track, 0);
    setTrackInt(c.s_cineTrackClock, track, 0);
    setTrackInt(c.s_cineTrackPos, track, -1);
    setTrackInt(c.s_cineTrackVx, track, 0);
    setTrackInt(c.s_cineTrackVy, track, 0);
}

void Game::resetAllCinematicTracks() {
    for (int32_t t = 0; t < cinematics.s_cineTrackCount; ++t) resetCinematicTrack(t);
}

void Game::startCinematicTrack(int32_t track, bool loop) {
    if (!validTrack(track)) return;
    CinematicStatics& c = cinematics;
    resetCinematicTrack(track);
    JArray::setByte(c.s_cineTrackActive, track, 1);
    const int32_t start = startOf(track);
    const int32_t kind = kindOf(track);
    int32_t pos = start + 2;
    if (kind == 2) {
        const int32_t actor = findCinematicActor(s16(pos));
        setTrackInt(c.s_cineTrackActor, track, actor);
        if (CObject* o = actorAt(actor)) CObject::setCinematicTrack(o, track);
        pos += 2;
    } else if (kind == 3) {
        ASprite* sprite = getCinematicSprite(s16(pos));
        ASpriteInstance* instance = mrc::newConstructed<ASpriteInstance>(sprite, 0, 0,
                                                                         static_cast<ASpriteInstance*>(nullptr));
        CObject* o = mrc::newObject<CObject>();
        int32_t index = -1;
        if (o != nullptr) {
            o->CObjectFromInstance(instance, -1, -1, nullptr);
            index = c.s_cineActorCount;
            // A full list drops the actor: the track is left without one.
            if (!addCinematicActor(o)) index = -1;
        }
        setTrackInt(c.s_cineTrackActor, track, index);
        pos += 2;
    }
    setTrackInt(c.s_cineTrackPos, track, pos + 2);
    int32_t flags = trackInt(c.s_cineTrackFlags, track);
    setTrackInt(c.s_cineTrackFlags, track, loop ? flags | kLoops : flags & ~kLoops);
}

void Game::updateCinematicTrack(int32_t track) {
    if (!validTrack(track)) return;
    CinematicStatics& c = cinematics;
    const int32_t kind = kindOf(track);
    if (overlayStatics.gameSubState != 0 && kind == 2) {
        CObject* actor = actorOf(track);
        if (actor != nullptr && actor->m_type == 5 && !isNull(actor->m_sprite)) actor->m_sprite->updateAnim();
    }
    if (trackInt(c.s_cineTrackPos, track) != -1 && actorOf(track) != nullptr) {
        int32_t t = trackInt(c.s_cineTrackClock, track) + static_cast<int32_t>(stateStatics.frameTime);
        bool stepping = true;
        while (stepping) {
            int32_t pos = trackInt(c.s_cineTrackPos, track);
            int32_t k = u16(pos) * kCineTimeUnitMs;
            while (pos != -1 && t >= k) {
                setTrackInt(c.s_cineTrackClock, track, k);
                const int32_t next = runKeyFrame(track, pos);
                if (next >= endOf(track)) {
                    t = 0;
                    if ((trackInt(c.s_cineTrackFlags, track) & kLoops) != 0) {
                        // Started again; its first key frame runs at the next step, so a track of
                        // key frames all at time 0 cannot restart for ever within one call.
                        startCinematicTrack(track, true);
                        stepping = false;
                        break;
                    }
                    pos = -1;
                } else {
                    pos = next;
                    prepareMotion(track, pos);
                }
                setTrackInt(c.s_cineTrackPos, track, pos);
                if (pos != -1) k = u16(pos) * kCineTimeUnitMs;
            }
            if (!stepping || pos == -1) break;
            const int32_t clock = trackInt(c.s_cineTrackClock, track);
            if ((trackInt(c.s_cineTrackFlags, track) & kClockRuns) == 0 || kind == 1) break;
            if (kind == 2 || kind == 3) {
                if (CObject* actor = actorOf(track); actor != nullptr && !isNull(actor->m_sprite)) {
                    const int32_t dt = t - clock;
                    placeObject(actor, actor->m_sprite->x + trackInt(c.s_cineTrackVx, track) * dt,
                                actor->m_sprite->y + trackInt(c.s_cineTrackVy, track) * dt);
                }
            }
            setTrackInt(c.s_cineTrackClock, track, t);
            stepping = t > trackInt(c.s_cineTrackClock, track);
        }
    }
    CObject* actor = actorOf(track);
    if (actor == nullptr) return;
    if ((actor->m_type == 0 && CObject::statics.s_cinematicAnim >= 0) || (actor->m_type == 5 && showsActionAnim(actor)))
        stateStatics.overlayOnce = 1;
}

void Game::runCinematicScript(int32_t n) {
    LayoutStatics& l = layouts;
    GameOverlay::OverlayStatics& o = overlayStatics;
    const bool saveAndRestore = l.s_scriptSkipping || o.gameState == Game::kStateLoading || o.gameSubState == 1;
    if (!saveAndRestore) {
        runEventScript(n, false);
        return;
    }
    const int32_t script = l.s_scriptIndex, pos = l.s_scriptPos, left = l.s_scriptLeft;
    const bool enterCinematic = !(l.s_scriptSkipping || o.gameState == Game::kStateLoading);
    runEventScript(n, false);
    l.s_scriptIndex = script;
    l.s_scriptPos = pos;
    l.s_scriptLeft = left;
    if (!enterCinematic) return;
    if (o.gameSubState == 5 || o.gameSubState == 2) resumeTimersOfType23Objects();
    pushState();
    o.gameState = Game::kStateGameplay;
    o.gameSubState = 1;
    stateStatics.redraw = 1;
}

void Game::activateMarkedEntry(int32_t track) {
    if (!validTrack(track)) return;
    const int32_t flags = trackInt(cinematics.s_cineTrackFlags, track);
    if ((flags & kWaits) == 0) return;
    setTrackInt(cinematics.s_cineTrackFlags, track, flags & ~kWaits);
    CObject* actor = actorOf(track);
    if (actor != nullptr && (actor->m_type == 1 || actor->m_type == 3) && !isNull(actor->m_sprite))
        actor->m_sprite->setAnim(static_cast<int32_t>(static_cast<uint32_t>(flags) >> 16));
}

// ---- the actor list and the sprites of made actors ----

void Game::clearCinematicActors() {
    CinematicStatics& c = cinematics;
    for (int32_t i = 0; i < c.s_cineActorCount && !isNull(c.s_cineActors) && i < c.s_cineActors->length; ++i)
        c.s_cineActors->elements()[i] = nullptr;
    c.s_cineActorCount = 0;
}

void Game::addCinematicActors(ObjectArray* objects) {
    if (isNull(objects)) return;
    for (int32_t i = 0; i < objects->length; ++i) addCinematicActor(static_cast<CObject*>(objects->elements()[i]));
}

void Game::gatherCinematicActors() {
    GameObjectStatics& g = objects;
    addCinematicActors(g.s_type1Objects);
    addCinematicActors(g.s_templates);
    auto addWhere = [](ObjectArray* list, int32_t param, int32_t value) {
        for (int32_t i = 0; !isNull(list) && i < list->length; ++i) {
            auto* o = static_cast<CObject*>(list->elements()[i]);
            if (!isNull(o) && o->param(param) == value) addCinematicActor(o);
        }
    };
    addWhere(g.s_attachedObjects, 6, 1);
    addWhere(g.s_type15Objects, 13, 1);
    addWhere(g.s_type5Objects, 10, 1);
    addCinematicActor(g.s_player);
}

bool Game::addCinematicActor(CObject* o) {
    if (isNull(o)) return false;
    CinematicStatics& c = cinematics;
    if (isNull(c.s_cineActors) || c.s_cineActorCount >= c.s_cineActors->length) {
        trace(constant(kActorListFullText));
        return false;
    }
    c.s_cineActors->elements()[c.s_cineActorCount++] = o;
    return true;
}

int32_t Game::findCinematicActor(int32_t id) {
    for (int32_t i = 0; i < cinematics.s_cineActorCount; ++i)
        if (CObject* o = actorAt(i); o != nullptr && o->m_id == id) return i;
    String* text = constant(kNoActorText);
    if (!isNull(text)) {
        text = text->concat(String::valueOfInt(id));
        if (!isNull(text)) text = text->concat(constant(kNoActorTextEnd));
    }
    trace(text);
    return -1;
}

ASprite* Game::getCinematicSprite(int32_t n) {
    return static_cast<ASprite*>(JArray::getRef(cinematics.s_cineSprites, n));
}

void Game::clearCinematicSprites() {
    CinematicStatics& c = cinematics;
    for (int32_t i = 0; i < c.s_cineSpriteCount && !isNull(c.s_cineSprites) && i < c.s_cineSprites->length; ++i)
        c.s_cineSprites->elements()[i] = nullptr;
    c.s_cineSpriteCount = 0;
}

void CObject::setCinematicTrack(CObject* o, int32_t track) {
    if (!isNull(o) && (o->m_type == 1 || o->m_type == 3)) o->setParam(16, track);
}
