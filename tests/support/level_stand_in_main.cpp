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
//   prompt N   a speech of speaker N (0-2) in the bottom panel, paged; the confirm key shows a page
//              whole, then turns it; logs "LevelStandIn prompt done" after the last page
//   box N      text N of the speakers' group (5) in a framed box with an arrow, paged like a speech;
//              logs "LevelStandIn box done"
//   ask N      the two-answer question of speaker N: up and down change the answer, the confirm
//              key takes it; logs "LevelStandIn answer A" (0 the first, 1 the second)
//   death N    the player dies: the death screen (state 12) in phase N over the world's picture
//              (0 and 1 a veil to half over the death animation, 3 and others one to black in 1 s)
//   levelend N the level ends (N unused): its end, the summary and, on confirm, the set-up of
//              the next level, which this stand-in makes again
//   story N    the story text between levels, then on confirm the summary; N other than 0 is
//              the level after it (99: the game's end follows instead)
//   intro N    the level's title card (N unused) as a level's start shows it, back to gameplay
//   notice N   label N (text group 0) as a notice (state 11) over the world's picture, its text
//              scrolling through once (faster while the pen rests on the screen's lower part);
//              then back to gameplay, logging "LevelStandIn notice done"
//   info N     the information page (state 18) of the stand-in's three map locations, browsing
//              the map at location N: left and right go to the neighbours, the confirm key starts
//              the location's level (locations 0 and 1 lead to levels 1 and 2), back leaves
//   offer N    the promotion screen has N pages loaded: the game's end (after "story 99") then
//              offers it (state 20) before the game restarts
// Each applied event logs "LevelStandIn FRAME KIND AMOUNT". The prompts stand in for the event
// scripts' commands 171, 175 and 178: the script bytes hold the command so that the game's own
// painter of the command under the script cursor draws its box, over the gameplay paint.
//
// The routines later work builds are stood in for through the game's seams: the world painter
// (above), the background repaint (the world painter into the background buffer), the restart
// at a level (straight to that level's set-up) and the message box's fade of the game's end and
// the offer (the box whole at once, closed by the confirm key).
//
// VELTRANO_LEVEL_OBJECTS, objects separated by ';', each "TYPE X Y [KEY=VALUE...]" at map pixel
// (X, Y), showing an object sprite of the sample data's pack 5 (loaded into sprite slots 40 on):
//   sprite=K   the pack's entry K (default 5, the props)      anim=A   its animation (default 0)
//   pN=V       params[N] = V                                  use=1    the player can face it
//   goal=1     the goal the arrow points at
// and the entries "face up|down|left|right" (the player's facing, default right) and "goalpoint
// X Y" (a goal point instead of a goal object). With objects, each gameplay update picks the
// faced object and places the arrow (view margins of 24 px); the HUD markers of type-27 objects,
// the faced object's marker and the arrow are painted over the world. Each object logs
// "LevelStandIn object TYPE X Y".
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
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
constexpr int32_t kPauseKey = 0x40000;  // the left soft key: the pause button
constexpr int32_t kPlayerDead = 11;     // the player's parameter set on death
constexpr int32_t kSetupAgain = 3;      // the level set-up's reason for a restart at a level

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

struct SceneObject {
    int type = 0, x = 0, y = 0, sprite = 5, anim = 0;
    bool use = false, goal = false;
    std::vector<std::pair<int, int>> params;
};
std::vector<SceneObject> g_objects;
int g_facing = 0x1010;
int g_goalX = -1, g_goalY = -1;
constexpr int32_t kObjectPack = 5, kObjectSprites = 6, kFirstObjectSlot = 40, kViewMargin = 24;

std::vector<SceneObject> parseObjects(const char* text) {
    std::vector<SceneObject> objects;
    std::stringstream all(text == nullptr ? "" : text);
    for (std::string item; std::getline(all, item, ';');) {
        std::stringstream in(item);
        std::string first;
        if (!(in >> first)) continue;
        if (first == "face") {
            const std::pair<const char*, int> faces[] = {{"up", 0x102}, {"down", 0x4004}, {"left", 0x408}, {"right", 0x1010}};
            std::string way;
            in >> way;
            for (const auto& [name, code] : faces)
                if (way == name) g_facing = code;
            continue;
        }
        if (first == "goalpoint") {
            in >> g_goalX >> g_goalY;
            continue;
        }
        SceneObject o;
        if (std::sscanf(first.c_str(), "%d", &o.type) != 1 || !(in >> o.x >> o.y)) {
            mrc_log("LevelStandIn ignores \"%s\"", item.c_str());
            continue;
        }
        for (std::string kv; in >> kv;) {
            int n = 0, v = 0;
            if (std::sscanf(kv.c_str(), "p%d=%d", &n, &v) == 2) o.params.emplace_back(n, v);
            else if (std::sscanf(kv.c_str(), "sprite=%d", &v) == 1) o.sprite = v;
            else if (std::sscanf(kv.c_str(), "anim=%d", &v) == 1) o.anim = v;
            else if (kv == "use=1") o.use = true;
            else if (kv == "goal=1") o.goal = true;
            else mrc_log("LevelStandIn ignores \"%s\"", kv.c_str());
        }
        objects.push_back(o);
    }
    return objects;
}

// The scene's objects in the generic list that the world painter draws, the faced ones among the
// view's interactables, the goal; their sprites from the object sprite pack.
void setupObjects(CObject* player) {
    // The player's instance in map pixels (the object was made with fixed-point coordinates).
    if (!isNull(player->m_sprite)) player->m_sprite->setPosition(kPlayerX, kPlayerY);
    if (g_objects.empty()) return;
    player->m_sortKey = kPlayerY * 256 + kPlayerX;
    CObject::statics.s_inputDirection = g_facing;
    for (int32_t k = 0; k < kObjectSprites; ++k)
        Game::getSprite(kObjectPack, kFirstObjectSlot + k, k, -1, ASprite::kCacheImages, Game::stateStatics.sprites);
    Game::closePack();
    Game::flowStatics.s_loadPack = -1;
    const auto count = static_cast<int32_t>(g_objects.size());
    InteractionStatics& in = Game::interaction;
    Game::objects.s_scriptObjects = om()->newObjectArray(mrc::kClass_CObject, count);
    in.s_viewInteractables = om()->newObjectArray(mrc::kClass_CObject, count);
    in.s_viewInteractableCount = 0;
    in.s_indicatorMargins = om()->newIntArray(4);
    for (int32_t m = 0; m < 4; ++m) JArray::setInt(in.s_indicatorMargins, m, kViewMargin);
    in.s_indicatorAnim = -1;
    in.s_indicatorPointX = g_goalX;
    in.s_indicatorPointY = g_goalY;
    for (int32_t i = 0; i < count; ++i) {
        const SceneObject& s = g_objects[std::size_t(i)];
        CObject* o = CObject::create(100 + i, s.type, s.x, s.y, om()->newIntArray(60));
        if (isNull(o) || isNull(o->m_sprite)) continue;
        JArray::setRef(Game::objects.s_scriptObjects, i, o);
        for (const auto& [n, v] : s.params) o->setParam(n, v);
        o->m_sprite->setSprite(Game::spriteSlot(kFirstObjectSlot + s.sprite));
        o->m_sprite->setAnim(s.anim);
        o->m_sortKey = s.y * 256 + s.x;
        if (s.use) JArray::setRef(in.s_viewInteractables, in.s_viewInteractableCount++, o);
        if (s.goal) in.s_indicatorTarget = o;
        mrc_log("LevelStandIn object %d %d %d", s.type, s.x, s.y);
    }
}

// The HUD markers of the type-27 objects, the marker over the faced object and the arrow toward
// the goal, as the world painter shows them.
void paintObjectMarkers(Game::Graphics* g) {
    if (g_objects.empty()) return;
    ObjectArray* generic = Game::objects.s_scriptObjects;
    for (int32_t i = 0; !isNull(generic) && i < generic->length; ++i) {
        auto* o = static_cast<CObject*>(JArray::getRef(generic, i));
        if (!isNull(o) && o->m_type == 27) Game::paintHudObject(g, o);
    }
    const InteractionStatics& in = Game::interaction;
    CObject* selected = Game::objects.s_selectedObject;
    if (!isNull(selected) && GameOverlay::overlayStatics.gameSubState == 0) Game::paintHudInstance(g);
    const bool goal = (!isNull(in.s_indicatorTarget) && in.s_indicatorTarget != selected) || in.s_indicatorPointX >= 0;
    auto* arrow = static_cast<ASpriteInstance*>(JArray::getRef(Game::stateStatics.hudInstances, 14));
    if (goal && !isNull(arrow)) arrow->paint(g);
}

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
    // The level after this one, as a level's data names it.
    Game::saves.s_nextLevel = Game::stateStatics.currentLevel + 1;
    setupObjects(player);
    Game::setStateOnly(kGameplay);
    mrc_log("LevelStandIn level set up (level %d)", Game::stateStatics.currentLevel);
}

// ---- the prompts of the event scripts ----

constexpr int32_t kSpeakerGroup = 5, kSpeakerTextPack = 5;  // the level's texts: speakers and speech
constexpr int32_t kSpeechText = 10, kQuestionText = 11, kFirstAnswer = 12;  // the sample data's
constexpr int32_t kSpeakers = 3;  // with portraits 95-97
constexpr int32_t kSpeech = 171, kBox = 175, kQuestion = 178;
constexpr int32_t kSpeechHeight = 48;  // the bottom panel's text area, as the script menu opens it
constexpr int32_t kMarkerY = 462 - kSpeechHeight - (19 + 1);  // above the soft keys' strip (19 px)
constexpr int32_t kBoxX = 100, kBoxY = 150, kBoxArrow = 0;
int32_t g_prompt = 0;  // the command of the open prompt, 0 none

// What a level's load gives the prompts: the speakers' texts and their table (portrait, name).
void loadSpeakers() {
    if (!isNull(Game::objects.s_speakers)) return;
    Game::loadTextPack(kSpeakerGroup, Game::readLoaderEntry(0, kSpeakerTextPack));
    ObjectArray* table = om()->newObjectArray(mrc::kClass_IntArray, kSpeakers);
    Game::objects.s_speakers = table;
    for (int32_t k = 0; k < kSpeakers; ++k) {
        IntArray* row = om()->newIntArray(2);
        row->elements()[0] = k;
        row->elements()[1] = k;
        table->elements()[k] = row;
    }
}

// The event script's bytes with the one command under the cursor: 178 carries its answers' text
// ids at bytes 6 and 8.
void putCommand(int32_t command) {
    ByteArray* bytes = om()->newByteArray(10);
    Game::layouts.s_scriptBytes = bytes;
    Game::layouts.s_scriptPos = 0;
    JArray::setByte(bytes, 0, static_cast<int8_t>(command));
    for (int32_t k = 0; k < 2; ++k) JArray::setByte(bytes, 6 + 2 * k, static_cast<int8_t>(kFirstAnswer + k));
    g_prompt = command;
}

// A speech in the bottom panel, opened as the script menu opens one: the paging state at its start
// (as a framed box's opening leaves it), the fonts, font 0 with palette 1, the speaker, no flags
// and the page marker at the panel's edge.
void openSpeech(int32_t speaker) {
    Game::openMenuSimple(0, kSpeakerGroup, kSpeechText, true, false);
    PromptStatics& p = Game::prompts;
    p.s_promptFonts = Game::stateStatics.fonts;
    p.s_promptPalette = 1;
    p.s_promptTextArg = 0;
    p.s_promptSpeaker = speaker;
    p.s_promptFlags = 0;
    p.s_promptHeight = kSpeechHeight;
    auto* marker = static_cast<ASpriteInstance*>(JArray::getRef(Game::stateStatics.hudInstances, 2));
    if (!isNull(marker)) {
        marker->setAnim(2);
        marker->setPosition(Game::kScreenWidth, kMarkerY);
    }
    putCommand(kSpeech);
}

void openPrompt(const Event& e) {
    loadSpeakers();
    if (e.kind == "prompt") {
        openSpeech(e.amount);
    } else if (e.kind == "box") {
        // Opened closed, so that it is framed; the script's wait grows it, here it is whole at once.
        putCommand(kBox);
        Game::openPromptAt(0, kSpeakerGroup, e.amount, kBoxX, kBoxY, kBoxArrow, true, false);
        Game::prompts.s_promptBoxHeight = Game::stateStatics.dialogExtent;
    } else {
        putCommand(kQuestion);
        Game::openMenuLayout(Game::stateStatics.fonts, 0, 1, kSpeakerGroup, kQuestionText, 0, e.amount, 0);
    }
}

// One frame of the open prompt's wait, as the script's wait step runs it.
void stepPrompt() {
    if (g_prompt == 0) return;
    if (g_prompt == kQuestion) {
        if (!Game::updateTimedEffectSequence()) return;
        mrc_log("LevelStandIn answer %d", Game::layouts.s_promptPacked & 0xFF);
    } else {
        if (!Game::waitForConfirm(false)) return;
        mrc_log("LevelStandIn %s done", g_prompt == kSpeech ? "prompt" : "box");
    }
    g_prompt = 0;
}

// ---- the notice, the information page, the offer ----

constexpr int32_t kNoticeState = Game::kStateNotice;
constexpr int32_t kScrollTop = 480 << 14;  // a notice's text starts below the screen
constexpr int32_t kConfirmKeys = 0x820;

// A notice as a dialog opens one: the label's text laid out centred in a framed box, whole, over
// the world's picture; its text scrolls from the screen's bottom until it has passed the top.
void openNotice(int32_t text) {
    Game::repaintBackgroundBuffer();
    Game::layoutMenuItems(0, 0, text, Game::kScreenWidth / 2, Game::kScreenHeight / 2, -1, false, false,
                          Game::kScreenHeight, 3);
    Game::prompts.s_promptBoxHeight = Game::stateStatics.dialogExtent;
    Game::layouts.s_promptState = 1;
    Game::menuStatics.scrollY = kScrollTop;
    Game::menuStatics.scrollEnd = -(Game::stateStatics.dialogExtent << 14);
    Game::setState(kNoticeState, 0);
}

Game::StateUpdate g_noticeUpdate = nullptr;

// The notice's own update; once its text has run through, its caller returns to the game.
void updateNotice(Game* game) {
    if (g_noticeUpdate != nullptr) g_noticeUpdate(game);
    if (Game::overlayStatics.gameSubState != 1) return;
    mrc_log("LevelStandIn notice done");
    Game::layouts.s_promptState = 2;
    Game::setState(kGameplay, 0);
}

// Three map locations on the first places of the information page's path, each {id, x, y, next,
// previous, target level, title}: 0 and 1 lead to levels 1 and 2 under the titles of levels 1
// and 2, 2 to none and has no title.
constexpr int32_t kLocations[3][7] = {{0, 40, 220, 1, -1, 1, 1}, {1, 100, 280, 2, 0, 2, 2}, {2, 160, 220, -1, 1, -1, -1}};
constexpr int32_t kLocationRecord = 10;
constexpr int32_t kInfoLayout = 20, kMarkerAnim = 7;

// The location screen as the loader's action sets it up: layout 20, the locations, the marker
// (the player's figure, playing animation 7) at the current one, the page built into the buffer,
// state 18.
void enterInfoPage(int32_t at) {
    Game::loadLayout(kInfoLayout);
    const auto count = static_cast<int32_t>(std::size(kLocations));
    ObjectArray* records = om()->newObjectArray(mrc::kClass_IntArray, count);
    Game::tables.s_mapLocations = records;
    for (int32_t i = 0; i < count; ++i) {
        IntArray* r = om()->newIntArray(kLocationRecord);
        for (int32_t k = 0; k < 7; ++k) r->elements()[k] = kLocations[i][k];
        records->elements()[i] = r;
    }
    ASpriteInstance* marker = mrc::newObject<ASpriteInstance>();
    if (marker == nullptr) return;
    marker->init(Game::spriteSlot(kPlayerSprite), 0, 0, nullptr);
    marker->setAnim(kMarkerAnim);
    Game::tables.s_infoInstance = marker;
    Game::tables.s_infoMode = 1;
    Game::selectMapLocation(std::clamp(at, 0, count - 1));
    Game::paintInfoPage(Game::stateStatics.bufferGraphics);
    Game::setState(Game::kStateInfoPage, 0);
}

int32_t g_promoPages = 0;

// The fade of the message box of the game's end and the offer, in whole steps: the box opens at
// once, stays until the confirm key, then closes, which ends the fade.
bool updateProgressFade() {
    int32_t& phase = Game::layouts.s_promptState;
    if (phase == 0) {
        Game::prompts.s_promptBoxHeight = Game::stateStatics.dialogExtent;
        phase = 1;
        return false;
    }
    if (phase == 1) {
        if ((Game::inputStatics.keysPressed & kConfirmKeys) == 0) return false;
        phase = 2;
    }
    Game::prompts.s_promptBoxHeight = 0;
    return true;
}

Game::StatePaint g_gameplayPaint = nullptr;

void paintWithPrompt(Game* game, Game::Graphics* g) {
    if (g_gameplayPaint != nullptr) g_gameplayPaint(game, g);
    if (g != nullptr && g_prompt != 0) Game::handleMenuCommand(g);
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
    } else if (e.kind == "prompt" || e.kind == "box" || e.kind == "ask") {
        openPrompt(e);
    } else if (e.kind == "death") {
        // As the player's death starts it: the death state, the world's picture behind it.
        CObject::statics.s_playerStateParam = e.amount;
        p->setParam(kPlayerDead, 1);
        Game::setState(Game::kStateDeath, 0);
        Game::repaintBackgroundBuffer();
        Game::startLevelTimer();
    } else if (e.kind == "levelend") {
        Game::enterLevelEnd();
    } else if (e.kind == "story") {
        if (e.amount != 0) Game::saves.s_nextLevel = e.amount;
        Game::enterFullScreenText();
    } else if (e.kind == "notice") {
        openNotice(e.amount);
    } else if (e.kind == "info") {
        enterInfoPage(e.amount);
    } else if (e.kind == "offer") {
        g_promoPages = e.amount;
        Game::promoHooks.countLoaded = [] { return g_promoPages; };
    } else if (e.kind == "intro") {
        // As a level's start enters it: the world's picture, the level timer, the card's first step.
        Game::repaintBackgroundBuffer();
        Game::startLevelTimer();
        Game::setState(Game::kStateLevelIntro, 0);
    }
}

void updateGameplay(Game*) {
    ++g_frame;
    for (const Event& e : g_events)
        if (e.frame == g_frame) apply(e);
    stepPrompt();
    Game::updateHudBars();
    Game::updatePopupGoal();
    if (!g_objects.empty()) {
        Game::selectInteractionTarget();
        Game::updateTargetIndicator();
    }
    // The pause button (its tap is the left soft key), as the gameplay update has it.
    if (Game::overlayStatics.gameState == kGameplay && (Game::inputStatics.keysPressed & kPauseKey) != 0) {
        GameTimers::pauseAllTimers();
        Game::setMenu(1, 1, -1);
    }
}

void repaintBackgroundBuffer() {
    Game::Graphics* g = Game::stateStatics.bufferGraphics;
    if (isNull(g)) return;
    Game::paintWorld(g);
    g->setClip(0, 0, Game::kScreenWidth, Game::kScreenHeight);
}

void restartAtLevel(int32_t level) {
    Game::stateStatics.currentLevel = level;
    Game::enterLevelSetup(kSetupAgain);
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
    paintObjectMarkers(g);
}

}  // namespace

int main(int argc, char** argv) {
    mrc::wireVeltrano();
    g_events = parseEvents(std::getenv("VELTRANO_LEVEL_EVENTS"));
    g_objects = parseObjects(std::getenv("VELTRANO_LEVEL_OBJECTS"));
    Game::stateUpdates[kLevelSetup] = &setupLevel;
    Game::stateUpdates[kGameplay] = &updateGameplay;
    g_gameplayPaint = Game::statePaints[kGameplay];
    Game::statePaints[kGameplay] = &paintWithPrompt;
    g_noticeUpdate = Game::stateUpdates[kNoticeState];
    Game::stateUpdates[kNoticeState] = &updateNotice;
    mrc::GamePendingSeams& seams = mrc::gamePendingSeams();
    seams.paintWorld = &paintWorld;
    seams.repaintBackgroundBuffer = &repaintBackgroundBuffer;
    seams.restartAtLevel = &restartAtLevel;
    seams.updateProgressFade = &updateProgressFade;
    return mrc::veltranoMain(argc, argv);
}
