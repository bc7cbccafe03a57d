// veltrano_level_stand_in: veltrano wired as it ships, with a test-only level set-up and gameplay
// step for the end-to-end runs that need a level before the level code exists. Level set-up
// (state 5) makes the player, a CObject at the middle of the screen with full gauges, starts the
// HUD and enters gameplay (state 7). Each gameplay update applies the events due in that frame,
// then runs the HUD bars (with the player's energy) and the popup goal. State 7 paints with the
// game's own gameplay paint (touch controls included); only its world painter is stood in for:
// a plain floor, the objects of the level's lists, the player (frame 0 of the level sprite in
// slot 10) and the HUD over them.
//
// Environment: VELTRANO_LEVEL_EVENTS, events separated by ';', each "FRAME KIND AMOUNT" with FRAME
// counted from the first gameplay update:
//   damage N   the health gauge loses N (it flashes)
//   points N   the points gauge gains N
//   chain N    N chain hits
//   popup N    a counter popup of N icons (the sample interface sprite's frames 100 to do and 101
//              done); while it is shown, each further popup event marks one more done
// Each applied event logs "LevelStandIn FRAME KIND AMOUNT".
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/wiring.h"
#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/flow/pending_seams.h"
#include "game/objects/cobject.h"
#include "host/core/log.h"
#include "platform/app/launcher.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"

namespace {

constexpr int32_t kLevelSetup = 5, kGameplay = Game::kStateGameplay;
constexpr int32_t kPlayerX = 400, kPlayerY = 300;
constexpr int32_t kGaugeMaximum = 1000;  // health, energy and points, whole units
constexpr int32_t kHealthStyle = 4;  // the sample data's health panel (frame 70)
constexpr uint32_t kFloor = 0x2E4A2E, kFigure = 0xE0C090;  // the figure without the level sprites
constexpr int32_t kPlayerSprite = 10;

struct Event {
    int frame = 0;
    std::string kind;
    int amount = 0;
};
std::vector<Event> g_events;
int g_frame = 0;

std::vector<Event> parseEvents(const char* text) {
    std::vector<Event> events;
    std::stringstream all(text == nullptr ? "" : text);
    for (std::string item; std::getline(all, item, ';');) {
        Event e;
        if (std::stringstream(item) >> e.frame >> e.kind >> e.amount) events.push_back(e);
        else if (item.find_first_not_of(' ') != std::string::npos) mrc_log("LevelStandIn ignores \"%s\"", item.c_str());
    }
    return events;
}

mrc::ObjectManager* om() { return mrc::ApplicationImpl::getApplication()->objectManager; }

void setupLevel(Game*) {
    IntArray* params = om()->newIntArray(60);
    CObject* player = CObject::create(1, 0, kPlayerX << 14, kPlayerY << 14, params);
    for (int32_t i : {13, 17, 15, 14, 18, 19}) player->setParam(i, kGaugeMaximum << 14);
    player->setParam(16, 0);
    Game::objects.s_player = player;
    Game::objects.s_currentItem = 0;
    Game::hudStatics.s_healthPanelStyle = kHealthStyle;
    // Filling, not draining: the drain reads the level's kind records, which no level loads here.
    Game::hudStatics.s_energyMode = 1;
    player->setParam(14, kGaugeMaximum / 2 << 14);
    Game::resetHudAnimations();
    // The panels' intros and the bar marker, as a level's start would choose them.
    const int32_t starts[3][2] = {{19, 19}, {20, 41 + kHealthStyle}, {21, 48}};
    for (const auto& s : starts) {
        auto* i = static_cast<ASpriteInstance*>(JArray::getRef(Game::stateStatics.hudInstances, s[0]));
        if (!isNull(i)) i->setAnimLoop(s[1], s[0] == 19 ? -1 : 0);
    }
    // The player's figure: the level sprites (slots 10 and 11, the player's sprite ids 60 and 61).
    Game::loadLevelSprites();
    Game::setStateOnly(kGameplay);
    mrc_log("LevelStandIn level set up");
}

void apply(const Event& e) {
    CObject* p = Game::objects.s_player;
    mrc_log("LevelStandIn %d %s %d", e.frame, e.kind.c_str(), e.amount);
    if (e.kind == "damage") {
        CObject::addToGauge(p, 0, -(e.amount << 14));
    } else if (e.kind == "points") {
        CObject::addToGauge(p, 1, e.amount << 14);
    } else if (e.kind == "chain") {
        for (int i = 0; i < e.amount; ++i) Game::countChainHit();
    } else if (e.kind == "popup") {
        if (Game::layouts.s_currentPopup >= 0) {
            auto* r = static_cast<IntArray*>(JArray::getRef(Game::layouts.s_popups, Game::layouts.s_currentPopup));
            JArray::setInt(r, 6, JArray::getInt(r, 6) + 1);
            return;
        }
        if (Game::openPopup() < 0) return;
        Game::setPopupArg1(0);
        Game::setPopupArg2(2);
        auto* r = static_cast<IntArray*>(JArray::getRef(Game::layouts.s_popups, Game::layouts.s_currentPopup));
        const int32_t fields[][2] = {{6, 0}, {7, e.amount}, {10, 3}, {13, 100}, {14, 101}};
        for (const auto& f : fields) JArray::setInt(r, f[0], f[1]);
        Game::activatePopup();
    }
}

void updateGameplay(Game*) {
    ++g_frame;
    for (const Event& e : g_events)
        if (e.frame == g_frame) apply(e);
    Game::updateHudBars();
    Game::updatePopupGoal();
}

// The world painter's stand-in under the real gameplay paint: the floor, every object of the
// level's lists that has a sprite (by its kind's painter), the player's figure, the HUD and popup.
void paintWorld(Game::Graphics* g) {
    if (g == nullptr) return;
    g->setColor(int32_t(kFloor));
    g->fillRect(0, 0, Game::kScreenWidth, Game::kScreenHeight);
    GameObjectStatics& o = Game::objects;
    for (ObjectArray* list : {o.s_type1Objects, o.s_type5Objects, o.s_attachedObjects, o.s_type15Objects,
                              o.s_type18Objects, o.s_type20Objects, o.s_scriptObjects, o.s_layerObjects,
                              o.s_type62Objects, o.s_type69Objects, o.s_templates, o.s_projectiles, o.s_tileObjects,
                              o.s_effectPool, o.s_emitterPool, o.s_directionalPool, o.s_tableObjects, o.s_levelPool}) {
        if (isNull(list)) continue;
        for (int32_t i = 0; i < list->length; ++i) {
            auto* c = static_cast<CObject*>(JArray::getRef(list, i));
            if (isNull(c) || c == o.s_player || c->m_type < 0 || isNull(c->m_sprite) || isNull(c->m_sprite->sprite))
                continue;
            c->drawByKind(g, true);
        }
    }
    if (ASprite* figure = Game::spriteSlot(kPlayerSprite)) {
        Game::paintFrameWithGraphics(figure, g, 0, kPlayerX, kPlayerY, 0);
    } else {
        g->setColor(int32_t(kFigure));
        g->fillRect(kPlayerX - 12, kPlayerY - 48, 24, 48);
        g->fillArc(kPlayerX - 10, kPlayerY - 70, 20, 20, 0, 360);
    }
    Game::paintHudPanel(g, Game::getTableEntry1(6, 4), Game::getTableEntry2(6, 4), true);
    Game::paintPopup(g);
}

}  // namespace

int main(int argc, char** argv) {
    mrc::wireVeltrano();
    g_events = parseEvents(std::getenv("VELTRANO_LEVEL_EVENTS"));
    Game::stateUpdates[kLevelSetup] = &setupLevel;
    Game::stateUpdates[kGameplay] = &updateGameplay;
    mrc::gamePendingSeams().paintWorld = &paintWorld;
    return mrc::veltranoMain(argc, argv);
}
