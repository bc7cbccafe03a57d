// Game: the game's canvas. The framework's QXLib runs its thread and frames; Game adds the game's
// side of the start-up (property digits, palette flag, promotion screen, sound manager), its key
// events and its pause and resume notifications. It has no instance fields of its own.
#pragma once

#include <cstdint>

#include "framework/core/game_base.h"
#include "framework/core/game_input.h"
#include "framework/core/qxlib.h"
#include "game/flow/cell_grid_statics.h"
#include "game/flow/game_state_statics.h"
#include "game/flow/game_statics.h"
#include "game/flow/layout_statics.h"
#include "game/flow/popup_statics.h"
#include "game/flow/prompt_statics.h"


#include "game/flow/object_operation_statics.h"
#include "game/flow/particle_statics.h"

#include "game/flow/object_action_statics.h"
#include "game/flow/paint_statics.h"
#include "game/flow/hud_gauge_statics.h"
#include "game/flow/hud_statics.h"
#include "game/flow/world_statics.h"
#include "game/world/cinematic_statics.h"
#include "game/objects/level_setup_statics.h"
#include "game/objects/path_finding.h"
#include "game/world/camera_statics.h"
#include "game/objects/kind_paint_statics.h"
#include "game/objects/interaction_statics.h"


class ASprite;
class ASpriteInstance;
class CObject;
class javax_microedition_lcdui_Graphics;

class Game : public QXLib, public GameBase, public GameInput, public GameStatics, public GameStateStatics {
public:
    MRC_CLASS(Game, QXLib);
    using Graphics = javax_microedition_lcdui_Graphics;

    // Application properties read by the constructor, and the value that selects the
    // alternative palettes.
    static constexpr const char* kDigitsPropertyKey = "MIDlet-Version";
    static constexpr const char* kAltPalettePropertyKey = "Alt-Palette";
    static constexpr const char* kAltPaletteOn = "true";
    static constexpr int32_t kScreenWidth = 800;
    static constexpr int32_t kScreenHeight = 480;
    static constexpr int32_t kRightSoftKey = -7;
    static constexpr int32_t kRightSoftKeyBit = 0x80000;

    // The promotion screen (IGP), which is built above the game flow: set up by the constructor,
    // parked while the game is hidden in its state and back on show. Empty hooks do nothing.
    struct PromoHooks {
        void (*showMessage)(javax_microedition_midlet_MIDlet* midlet, Game* canvas, int32_t width, int32_t height,
                            Object* message) = nullptr;
        void (*park)() = nullptr;
        void (*unpark)() = nullptr;
        // The promotion state (19): entered, stepped with the frame's key code (21 up, 32 down,
        // 23 left, 24 right, 26 back, 25 confirm, 0 none; true when the screen is done),
        // painted; the loaded entries and whether any matches.
        void (*enter)() = nullptr;
        bool (*update)(int32_t keyCode) = nullptr;
        void (*paintOverlay)(Graphics* g) = nullptr;
        int32_t (*countLoaded)() = nullptr;
        bool (*anyEntryMatches)() = nullptr;
    };
    static PromoHooks promoHooks;

    // The Java constructor.
    void init(javax_microedition_midlet_MIDlet* midlet, javax_microedition_lcdui_Display* display);

    void paint(javax_microedition_lcdui_Graphics* g) override { QXLib::paint(g); }
    // Slots 9 and 11 (UI thread): ignored while keyLockFrames > 0; recorded by QXLib, and noted
    // in the game's own key state.
    void keyPressed(int32_t code) override;
    void keyReleased(int32_t code) override;
    // Slots 16 and 15: the game's pause steps (sounds, pending resume, timers, promotion screen),
    // then QXLib's pause hook; the promotion screen's return, then QXLib's resume hook.
    void hideNotify() override;
    void showNotify() override;
    void runFrame() override;

    // ---- Object lists, pools, sprite slots and level tallies ----
    static GameObjectStatics objects;
    static constexpr int32_t kDisplayListLength = 110;
    static constexpr int32_t kKindCount = 15;
    static constexpr int32_t kSavedCounterCount = 11;
    static int32_t findObjectIndexById(int32_t type, int32_t id);
    static CObject* getEntryByType(int32_t code, int32_t i);
    static int32_t listCodeToType(int32_t code);
    static int32_t findType29ById(int32_t id, int32_t start);
    static int32_t findIndex(ObjectArray* records, int32_t key);

    // ---- Cinematic sequences: groups of tracks of timed key frames that drive actors ----
    static CinematicStatics cinematics;
    static constexpr int32_t kCineTimeUnitMs = 76;
    // Builds the group and track tables from a block (kept, opcode 37's arguments rewritten in
    // place); null does nothing. Returns the block.
    static ByteArray* loadCinematicTracks(ByteArray* data);
    static int32_t findCinematicGroup(int32_t id);
    static int32_t getFirstTrackOfGroup(int32_t group);
    static bool startCinematicGroup(int32_t group);
    static void stopCinematicGroup(int32_t group);
    static bool isCinematicGroupDone(int32_t group);
    static void updateCinematics();
    static void startCinematicTrack(int32_t track, bool loop);
    static void updateCinematicTrack(int32_t track);
    static void resetCinematicTrack(int32_t track);
    static void resetAllCinematicTracks();
    static void runCinematicScript(int32_t n);
    // Releases a track waiting for the player: its actor (types 1 and 3) starts the animation
    // kept in the flags' high half.
    static void activateMarkedEntry(int32_t track);
    // The actor list: filled before any track runs, in an order that fixes the actor indices.
    static void clearCinematicActors();
    static void gatherCinematicActors();
    static void addCinematicActors(ObjectArray* objects);
    static bool addCinematicActor(CObject* o);
    static int32_t findCinematicActor(int32_t id);
    static ASprite* getCinematicSprite(int32_t n);
    static void clearCinematicSprites();

    // ---- Level data linking: ids in level data replaced by indices after loading ----
    // The speaker table (rows of 16-bit values) from entry 1 of the open pack.
    static void buildGrid();
    static void linkObjectKeys(ObjectArray* objects, ObjectArray* keys);
    // Links every command of an event-script byte run in place.
    static void linkEventScript(ObjectArray* keys, ByteArray* script);
    // Link (j, k, m, f) of object i: unless params[j] is set, params[m] = the index of the id
    // params[k] in keys; a missing id sets params[f] = 0 instead (types 24 and 29: params[m] = -1).
    static void resolveObjectKeyParam(ObjectArray* objects, ObjectArray* keys, int32_t i, int32_t j, int32_t k,
                                      int32_t m, int32_t f);
    // Operand n (> 0 only) of the command at offset in script by kind: 60 an id in keys, 64 a
    // message id, any other kind an object id among the objects of that type.
    static void resolveIdInLevelData(ObjectArray* keys, ByteArray* script, int32_t offset, int32_t n, int32_t kind);
    // Plans the sprite slots of the nine sprite sets of the object (the player): a set without a
    // slot in slotMap (byte 60 + set) takes nextSlot, and plan[30 + set][row][palette] takes the
    // set's slot where it is unset. Returns the next free slot. (loadFlags is not read.)
    static int32_t planObjectSpriteSlots(ByteArray* slotMap, ByteArray* loadFlags, int32_t nextSlot, ObjectArray* plan,
                                         CObject* o);
    // Built by later work (game/pending.cpp for now).
    static int32_t findMessageEntryById(int32_t id);
    static bool runEventScript(int32_t n, bool clearSkip);
    static bool isSpecialListedObject(CObject* o);
    static bool isScriptObjectFree();
    static bool countLevelEntries(int32_t script);
    static void placePlayerBeside(int32_t side, int32_t n);
    static int32_t getTypeKeyParam(CObject* o);
    static void setParamForType(IntArray* params, int32_t value, int32_t type);
    static void clearParamLinks(IntArray* params);
    static void setParam18Low(CObject* o, int32_t v);
    static void orParam18High(CObject* o, int32_t v);
    static void setDirectionTowardsX(CObject* o, int32_t x, int32_t i, int32_t j, int32_t flags);
    static void releasePoolSlot(int32_t slot);
    static void resetPooledObjects();
    static void releaseLevelGrid();
    static void clearSparks();
    static void sortDisplayList(int32_t lo, int32_t hi);
    // Zeroes the counts of the per-frame lists; with clear also nulls every entry of their six arrays.
    static void clearObjectLists(bool clear);
    // Gives the sprites of map layers 0 and 1 their palettes from the level header.
    static void applyLayerPalettes();
    static void clearShotInstances();
    static int32_t getSpriteSlot(int32_t group, int32_t index);
    // Fresh slot tables: no resource loaded, the next free slot the first empty one from 37 on.
    static void allocSpriteSlotTables();
    static void applySpriteToObject(CObject* o);
    // With `all`: the level's sprites (slots 18 and 19, and every loaded resource but the sprites
    // of slots 10 and 11) are reset and dropped. Always: the item sprites are forgotten.
    static void releaseLevelSprites(bool all);
    // Sprites of slots (direct) or of resources from..to-1 take over the source sprite's data,
    // its per-palette image cache made first, so that they draw from one copy.
    static void shareSpriteData(int32_t source, int32_t from, int32_t to, bool direct);
    static void freeSlotRecord(int32_t slot);
    static void setEntry(int32_t slot, int32_t dx, int32_t dy);
    static void clearEntry(int32_t slot);
    static void setEntryValue(int32_t slot, int32_t v);
    static int32_t slotDrawKey(CObject* emitter);
    static void clearByteAt(int32_t route);
    static void resetKindTallies();
    static void tallyLevelCollectibles(ObjectArray* type5, ObjectArray* type69);
    static int32_t lookupByte(int32_t i);
    static int32_t incSavedCounter(int32_t i);
    static int32_t findNextPresentKind(int32_t start);
    static void incKindCount(CObject* o);
    // Built by later work (game/pending.cpp for now).
    static void setPlayerState(int32_t state, int32_t param, CObject* o);
    static void setObjectAiMode(CObject* o, int32_t mode);
    static void resetObjectSlots(ASprite* sprite);

    // ---- Game tables: kind records, upgrades, flags, progress and locations ----
    static GameTableStatics tables;
    static constexpr int32_t kFlagListLength = 40;
    static constexpr int32_t kUpgradeKinds = 5;
    static constexpr int32_t kUpgradeColumns = 6;
    static constexpr int32_t kLevelProgressLength = 1280;
    static constexpr int32_t kProgressPerLevel = 64;
    static int32_t getPackedShort(int32_t kind, int32_t i);
    static int32_t getPackedSigned(int32_t kind, int32_t i);
    static int32_t getUpgradeShort(int32_t kind, int32_t c);
    static int32_t getUpgradeShortAt2(int32_t kind, int32_t c);
    static void setUpgradeShort(int32_t kind, int32_t c, int32_t v);
    static void setUpgradeShortAt2(int32_t kind, int32_t c, int32_t v);
    static void setUpgradeShortAt4(int32_t kind, int32_t c, int32_t v);
    static void initSlots3440();
    static void initList40();
    static bool testFlagListBit(int32_t a, int32_t b);
    static void clearByteTable();
    static void clearLevelProgress(int32_t level);
    static bool isModeOne();
    static void clearSavedObjectBytes();
    static bool isHeldObjectActive();
    static int32_t getShortAt(int32_t a, int32_t b);
    static void copyParam9To10();
    static int32_t percentOfMax();
    static void selectMapLocation(int32_t n);

    // ---- Save games ----
    static GameSaveStatics saves;
    static constexpr int32_t kStoreNameConstant = 108;
    static constexpr int32_t kRecordCount = 5;
    static constexpr int32_t kSettingsRecordLength = 29;
    static constexpr int32_t kGameRecordLength = 118;
    static constexpr int32_t kStatsRecordLength = 151;
    // Start values of the object, table and save statics that Game's initialiser gives: saving on,
    // the one-byte content of new records, the level pool and the scene-effect parameters.
    static void initWorldStatics();
    static ByteArray* loadSaveData(int32_t id);
    static void rmsWriteNew(int32_t count);
    static void rmsWrite(int32_t id, ByteArray* data);
    static void initSaveData();
    static void loadRecordOptions();
    static void loadRecordProgress();
    static void loadSavedGame(bool headerOnly);
    static void loadAndApplyProgressRecord();
    static void writeSettingsRecord();
    static void writeBestCompletion();
    static void writeLevelProgress();
    static void saveGameState(bool fresh);
    static void syncSaveData(bool fresh, bool headerOnly);
    static void resetSaveData();
    // Built by later work (game/pending.cpp for now).
    static void setAllAbilityFlags();
    // ---- interface layouts: records, accessors, painting and the definition loader ----
    // ---- popup records: the table (made at start-up, cleared at level set-up), filling, showing, removing ----
    static PopupStatics popups;
    static void initPopups();
    // A free record becomes current (state 1, fields -1, style 0); -1 (traced) when all are open.
    static int32_t openPopup();
    static void setPopupArg1(int32_t value);
    static void setPopupArg2(int32_t value);
    static void setPopupArg3(int32_t value);
    static void setPopupStyle(int32_t style);
    static int32_t getPopupItemMaskB();
    static void resumePopup(int32_t index);
    static void removePopup(int32_t index);
    static void clearPopups(bool release);
    // Once per gameplay update: the time bar's marker runs; a counter reaching its total goes.
    static void updatePopupGoal();
    static LayoutStatics layouts;
    static constexpr int32_t kLayoutCount = 21;
    static constexpr int32_t kDefinitionsPackText = 404;
    static constexpr int32_t kDefinitionsFirstEntry = 10;
    // Start values of the block (Game's initialiser).
    static void initLayoutStatics();
    // Element record `element` of the layout, or null.
    static ShortArray* layoutElement(int32_t layout, int32_t element);
    static int32_t layoutElementCount(int32_t layout);
    static int32_t getTableEntry1(int32_t layout, int32_t element);
    static int32_t getTableEntry2(int32_t layout, int32_t element);
    static int32_t getTableEntry3(int32_t layout, int32_t element);
    static int32_t getKind1Field3(int32_t layout, int32_t element);
    static int32_t getKind1Field4(int32_t layout, int32_t element);
    static int32_t getLayoutKind7Value(int32_t layout, int32_t element);
    static int32_t getLayoutElementAnchor(int32_t layout, int32_t element);
    static void setLayoutElementX(int32_t layout, int32_t element, int32_t value);
    static void setLayoutElementY(int32_t layout, int32_t element, int32_t value);
    static void setLayoutElementField3(int32_t layout, int32_t element, int32_t value);
    static void setLayoutElementField4(int32_t layout, int32_t element, int32_t value);
    static bool isEntryPresent(int32_t layout);
    static int32_t getEntryValue(int32_t layout);
    static int32_t getSelectedField7(int32_t layout);
    static int32_t getSelectedField8(int32_t layout);
    static int32_t getSelectedField9(int32_t layout);
    static int32_t getSelectedField10(int32_t layout);
    static bool isSelectedField5One(int32_t layout);
    static bool isSelectedField11One(int32_t layout);
    static bool isSelectedField13One(int32_t layout);
    static void copyShortTables(ObjectArray* elements, ObjectArray* positions);
    static void fillFromPairs(ObjectArray* elements, bool start);
    static void releaseLayout(int32_t layout);
    static void paintLayoutElementNoop(Graphics* g, int32_t layout, int32_t element, int32_t x, int32_t y);
    // Kind-checked accessors: a misfit traces the layout and element and changes nothing.
    static void setElementValue(int32_t layout, int32_t element, int32_t v);
    static void setElementVisible(int32_t layout, int32_t element, bool visible);
    static bool isElementBuffered(int32_t layout, int32_t element);
    static void setElementFrame(int32_t layout, int32_t element, int32_t v);
    static int32_t getElementNumber(int32_t layout, int32_t element);
    static void paintLayoutSprite(Graphics* g, int32_t layout, int32_t element, int32_t dx, int32_t dy, bool buffered);
    static void paintLayout(Graphics* g, int32_t layout, int32_t x, int32_t y, bool selected, int32_t group,
                            int32_t subId);
    static int32_t getLayoutElementHeight(int32_t layout, int32_t element);
    static int32_t layoutExpandRow(bool first, int32_t row, bool expanded);
    static void runStartCue();
    // The current popup by its style; the popup's icon (three while HUD instance 11 shows them).
    static void paintPopup(Graphics* g);
    static void paintPopupIcon(Graphics* g, int32_t a, int32_t b);
    // The popups' bodies: the icon row, the time bar or picture, the player placed for the camera
    // and back, the item markers, the icon by kind.
    static void paintPopupTimeBar(Graphics* g);
    static void paintPopupRow(Graphics* g);
    static void applyLevelObject(Graphics* g);
    static void paintPopupMarkers(Graphics* g);
    static void paintPopupIconFrame(Graphics* g, int32_t kind, int32_t rect, int32_t dx, int32_t dy);
    // A label (text textId of textGroup) in the box of a layout element, slid by the element's
    // slide values; false when the box is outside the clip or there is no text.
    static bool drawButton(Graphics* g, int32_t layout, int32_t element, int32_t font, int32_t unusedA,
                           int32_t unusedB, int32_t textGroup, int32_t textId, int32_t dx, int32_t dy, int32_t palette,
                           int32_t textFlags);
    static void drawButtonDefault(Graphics* g, int32_t layout, int32_t element, int32_t textGroup, int32_t textId);
    // The menu's soft-key corners, by its row's confirm and back actions.
    static void paintSoftKeys(Graphics* g);
    // The menus' paint (state 4): the opening panel, the main menu's buttons, the other menus'
    // picture rebuilt in the background buffer when a redraw is raised.
    static void paintMenu(Graphics* g, bool flag);
    static void paintMainMenu(Graphics* g, bool flag);
    static void paintMenuScreen(Graphics* g, bool flag);
    static void paintScreenLayout(Graphics* g, bool changed);
    static void paintScreenLayoutSimple(Graphics* g, bool flag);
    static void paintLayoutSimple(Graphics* g, int32_t layout, bool highlight, int32_t group);
    // Built by later work (game/pending.cpp for now): menu 10's framed hint.
    static void drawMenuFrame(Graphics* g);
    // Layout n back on its default positions.
    static void startListAnim(int32_t n);
    static void fillPairsDefault(int32_t n);
    // Definition sets first..last of the definitions pack (set n at entry n + 10).
    static void loadObjectDefinitions(int32_t first, int32_t last);
    static int32_t parseObjectDefinition(int32_t index, ByteArray* data, int32_t offset);
    static void loadAllLayouts();
    static void loadLayout(int32_t n);
    // Sprites 11 and 10 of pack 6 with the module mappings the level uses.
    static void loadLevelSprites();
    // The loader's level-sprite step: sprites 10 and 11 loaded, or bound to the player's ids.
    static void loadLevelTileSprites();
    // ---- level set-up routines of the event scripts and loading steps ----
    static void allocScriptTables(IntArray* header);
    static void restartScriptTimer();
    // Runs the load script of every type-34 object not yet linked; returns the running count.
    static int32_t addScriptObjectLoads(Object* loader, int32_t count, ObjectArray* list, ObjectArray* objects);
    static void scriptSetType1ObjectParam(int32_t n, int32_t j, int32_t value);
    static void scriptSetType15ObjectParam(int32_t n, int32_t j, int32_t value);
    static void activatePopupById(int32_t id);
    static CObject* placeObjectPlain(int32_t x, int32_t y, int32_t type, int32_t record);
    static CObject* placeObjectInSlot(int32_t x, int32_t y, int32_t type, int32_t record, int32_t slot);
    static CObject* placeObjectWithValue(int32_t x, int32_t y, int32_t type, int32_t record, int32_t slot, int32_t v);
    static void drawButtonLabel(Graphics* g, int32_t layout, int32_t element, int32_t a, int32_t b, int32_t c);
    static void drawButtonAt(Graphics* g, int32_t layout, int32_t element, int32_t v0, int32_t v1, int32_t v2,
                             int32_t v3, int32_t v4, int32_t v5, int32_t v6);
    static void drawButtonFull(Graphics* g, int32_t layout, int32_t element, int32_t v0, int32_t v1, int32_t v2,
                               int32_t v3, int32_t v4, int32_t v5, int32_t v6, int32_t v7);
    // The end of a dialogue: side-view play, no move pending, the camera held where it is (unless
    // locked), sub-step 0 of the current state.
    static void returnToPlay();
    // Built by later work (game/pending.cpp for now).
    static void allocIdSlotTables(int32_t ids);
    static void setPopupTargetById(int32_t id);
    static void activatePopup();
    static CObject* placeNewObject(int32_t x, int32_t y, int32_t type, int32_t record, int32_t slot, int32_t a,
                                   int32_t b, int32_t c, int32_t d, int32_t e, int32_t f);

    // ---- the upgrade panel (layout 10) ----
    static void initUpgradePanel();
    // Column 0 or 1 laid out (2: the hint sequence runs).
    static void showUpgradePanel(int32_t mode);
    static int32_t upgradeMode();
    // One step of a held purchase: 10 points per 300 ms held, at most 200, cut to what is missing.
    static void stepUpgradePurchase();
    static void paintUpgradeLevel(Graphics* g, int32_t kind, int32_t column, int32_t element);
    static void paintUpgradeMenu(Graphics* g);
    // Built by later work (game/pending.cpp for now).
    static bool getUpgradeValue(int32_t kind, int32_t column);
    static int32_t getUpgradeCounterGap(int32_t kind, int32_t column);
    static void addUpgradeProgress(int32_t kind, int32_t step, int32_t column);
    static void paintHudPanel(Graphics* g, int32_t x, int32_t y, bool full);
    // The two-choice prompt's step (true when it is over) and the banner's slide, once a frame.
    static bool updateTimedEffectSequence();
    static void updateSlidingBanner();
    // Built by later work (game/pending.cpp for now).
    static void setPlayerAnimState();
    static void updateAnimatedTiles();
    static void refreshUpgradeTableValues();
    static bool isMusicOn();
    // ---- frame step and state machine ----

    static constexpr int32_t kStateBoot = 0;
    static constexpr int32_t kStateStartup = 1;
    static constexpr int32_t kStateLoading = 2;
    static constexpr int32_t kStateTitle = 3;
    static constexpr int32_t kStateMenu = 4;
    static constexpr int32_t kStateSubmenu = 10;
    static constexpr int32_t kStatePromo = 19;
    static constexpr int32_t kStateNotice = 11;
    static constexpr int32_t kStateQuit = 99;
    static constexpr int32_t kStateSlots = 100;  // states 0..99 index the dispatch tables
    static constexpr int32_t kMaxFrameMs = 100;
    static constexpr int32_t kConfirmMask = 0x820;

    // Update and paint of each state. A null entry does nothing (the state still counts its
    // ticks). Filled by initStateTables with the states built so far; each screen adds its own.
    using StateUpdate = void (*)(Game* game);
    using StatePaint = void (*)(Game* game, Graphics* g);
    static StateUpdate stateUpdates[kStateSlots];
    static StatePaint statePaints[kStateSlots];
    static void initStateTables();

    void updateState();
    void paintState();
    static void setState(int32_t state, int32_t substate);
    static void setStateOnly(int32_t state) { setState(state, 0); }
    static void setSubstate(int32_t substate) { setState(overlayStatics.gameState, substate); }
    // Writes the current state and sub-step into the history without changing state.
    static void pushState();
    static void popState() { stepListCursor(); }
    static void enterStartup();
    void onResume();
    static void updateNotice();
    static void paintBoot(Graphics* g);
    // Closes the MIDlet (state 99).
    static void quitGame();

    // ---- start-up and loading states ----

    static constexpr int32_t kSpriteSlots = 60;
    static constexpr int32_t kFontSlots = 2;
    static constexpr int32_t kInstanceSlots = 34;
    static constexpr int32_t kDirtyRectSlots = 20;
    static constexpr int32_t kLoadBudgetMs = 1000;
    static constexpr int32_t kStartupNoticeMs = 2000;
    static constexpr int32_t kGaugeSprite = 20;
    static constexpr int32_t kStartupSprite = 0;
    static constexpr int32_t kStartupSpriteFrame = 18;

    // Allocates the game's tables and buffers, in this order (later features insert their own
    // set-up at the marked places, keeping the order):
    //   1. sprite slots, font slots, shared sprite instances;
    //   2. the 800 x 480 background buffer, filled white; the dirty-rectangle store;
    //   3. the flag list with its counters and the upgrade table;
    //   4. the saved progress: progress record, save data (initSaveData), record progress
    //      (loadRecordProgress);
    //   5. the overlay pixel rows, shaded 0xCC000000;
    //   6. the popup records, the level objects, the paint effects (initPaintEffects);
    //   7. the collectible tables of the level summary;
    //   8. the alternative palettes of the event actions;
    //   9. the platform flags (their start value stays: nothing reads them from the device).
    static void initResources();
    // Slot i of a sprite table; null for an empty slot or one outside the table.
    static ASprite* spriteIn(ObjectArray* sprites, int32_t slot);
    static void startSequence(ObjectArray* script, bool enterLoading, int32_t progressFrom, int32_t progressTo);
    static void startLoadingStep(int32_t list, bool enterLoading);
    void updateStartup();
    void updateLoading();
    static void paintLoading(Graphics* g);
    static void paintBackground(Graphics* g);
    // The loading gauge: sprite 20's frames when it is loaded, else a framed red bar.
    static void paintBossGauge(Graphics* g);
    // Frame 0 of the sprite along the box's bottom, frame 1 tiled over value / max of its width
    // under a clip (the clip returns to the whole screen).
    static void drawGauge(Graphics* g, ASprite* sprite, int32_t x, int32_t y, int32_t w, int32_t max, int32_t value);
    static void markInstanceDirty(ASpriteInstance* instance);

    // ---- level loader ----

    static constexpr int32_t kPackPathText = 154;
    static constexpr int32_t kSoundStartText = 458;
    static constexpr int32_t kSoundPackText = 459;
    static constexpr int32_t kControlImagesText = 391;  // 391..397
    static constexpr int32_t kControlImageCount = 7;
    static constexpr int32_t kControlImageFailText = 398;
    static constexpr int32_t kLoadFinished = 1;
    static constexpr int32_t kLoadWaitKey = 2;
    static constexpr int32_t kLoadBreak = 4;

    static int32_t loadStep();
    // Makes entry `entry` of pack `pack` readable (the forward-only rule) and reads it.
    static ByteArray* readLoaderEntry(int32_t pack, int32_t entry);
    static void openLoaderPack(int32_t pack);
    static ByteArray* loadTextPack(int32_t slot, ByteArray* data);
    static void runEventActions(int32_t list);
    static ASprite* getSprite(int32_t pack, int32_t slot, int32_t entry, int32_t palette, int32_t flags,
                              ObjectArray* sprites);
    static ASprite* loadSprite(ASprite* sprite, int32_t pack, int32_t entry, int32_t palette, int32_t flags,
                               bool openPack);
    static void openDataStreams();

    // ---- loading starters ----

    static constexpr int32_t kAngleTablePackText = 501;
    static constexpr int32_t kLevelSelectScript = 18;
    // Loader command 5: makes the entry readable (nothing is read); the first time also starts
    // the sound pack; every time enables the sound object.
    static void startSoundSet(int32_t pack, int32_t entry);
    // The 181 angle values of entry 0 of the pack that string 501 names.
    static void loadTable181();
    // The interface sprite (entry 5 of pack 2) in its recorded slot, with the modules of
    // animations 4-11 cached.
    static void rebuildInterfaceSprite();
    // The level selection: a loading script of its own, entered from the menus or the set-up.
    static void openLevelSelect(int32_t mode, bool back);

    // ---- touch and key input ----

    void handlePointer();

    // ---- dialog box and soft-key labels ----

    static void drawDialogBox(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h, int32_t fill, int32_t border,
                              int32_t shadow, int32_t style);
    static void drawSoftKeyLabel(Graphics* g, int32_t text, int32_t flags);
    static void drawString(Graphics* g, ObjectArray* fonts, int32_t mode, int32_t pack, int32_t string, int32_t font,
                           int32_t x, int32_t y, int32_t w, int32_t h, int32_t page, int32_t anchor);

    // ---- routines of later features that these call (game/pending.cpp until built) ----

    static void pauseTimersOfType23Objects();
    static void resumeTimersOfType23Objects();
    static void setMenu(int32_t menu, int32_t open, int32_t selection);
    static void setMenuCursor(int32_t cursor);
    // Menu 10's hint sequence opened again after a resume, when it was running.
    static void reopenOptionList();
    // The scrolling text's step; true when it has run through (and jumped back to 480).
    static bool touchZone(bool keys);
    static void updateGameplay(int32_t mode);
    static bool isElementVisible(int32_t layout, int32_t element);
    static void paintLayoutElement(Graphics* g, int32_t layout, int32_t element);
    // The item of the open menu (its row, for menu 10) whose rectangle holds the point, by the
    // menu's layout; -1 none.
    static int32_t menuItemAt(int32_t menu, int32_t x, int32_t y);
    static void menuAction(int32_t action);
    static void checkInteraction();
    // The player's action; -1 without a player.
    static int32_t playerAction();
    // The player faces left (0x408) or right (0x1010).
    static void turnPlayer(int32_t direction);
    static int32_t selectedObjectType();
    static int32_t countUnlockedEntries();
    static int32_t indexOfKindKey(int32_t key);

    // ---- overlay buffer, gradients, dirty rectangles and the perspective plane ----

    static PaintStatics paintStatics;
    static LevelViewStatics levelView;
    static constexpr int32_t kOverlayFill = static_cast<int32_t>(0xCC000000);
    static constexpr int32_t kMaxDirtyRects = 20;
    static constexpr int32_t kRegionWidth = 1600;
    static constexpr int32_t kRegionHeight = 240;
    static constexpr int32_t kRegionStrip = 32;
    static constexpr int32_t kWorkBufferSize = 102400;

    // The strip, all 0xCC000000.
    static void createOverlayBuffer();
    // One colour per row / column, channels in 8.8 fixed point; steps with alpha 0 are opaque
    // lines (rows) or nothing (columns).
    static void fillVerticalGradient(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h, int32_t from,
                                     int32_t to);
    static void fillHorizontalGradient(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h, int32_t from,
                                       int32_t to);
    // A gauge bar (layoutBox) in rgb at opacity percent (14 fraction bits).
    static void drawTranslucentBox(Graphics* g, int32_t rgb, int32_t opacity, int32_t max, int32_t value, int32_t x,
                                   int32_t y, int32_t w, int32_t h, int32_t padX, int32_t padY, int32_t flags);
    // Clipped to the screen; dropped when 20 are listed or nothing is left.
    static void addDirtyRect(int32_t x, int32_t y, int32_t w, int32_t h);
    // Buffer clip reset, the effects layer repainted with the level's parallax, timers resumed.
    static void restoreBackground();
    // The plane's buffers on first use (the work buffer also serves the sprite painter); the
    // plane parameters reset every time.
    static void allocLevelBuffers();
    // The plane around the camera view, strips of 32 image rows from the bottom up.
    static void paintScreenEffect(Graphics* g);
    // Rows of the source resampled to a width and offset that change by a step per row (both
    // with 14 fraction bits); an index outside the source gives opaque black.
    static void resampleRows(IntArray* src, int32_t stride, int32_t x0, int32_t y0, int32_t width, int32_t srcRows,
                             IntArray* dst, int32_t widthStart, int32_t rows, int32_t offsetStart,
                             int32_t widthStep, int32_t offsetStep);
    // The paint of gameplay (and of the level title card): the level between the letterbox bars,
    // then in gameplay the touch controls as the pointer handling lit them.
    static void paintGameplay(Graphics* g);
    // The world's objects, effects and HUD of a frame; the popup region (true while one is
    // active); the scene text overlay.
    static void paintWorld(Graphics* g);
    static bool popupActive(Graphics* g);
    static void paintSceneWithText(Graphics* g);
    // The region view. A popup record opens it (mode becomes the play mode; the three ints
    // between are not read) and enters gameplay sub-step 4.
    static void showPopup(int32_t mode, int32_t a, int32_t offset, int32_t b, IntArray* record);
    // The band at the camera from the record's top (element 1) and, in play mode 0, its rows.
    static void prepareRegionFromRecord(IntArray* record);
    // The band around the region whose left map column is x: its band column is (1600 - w) / 2;
    // x, that column and w are what the plane reads (elements 15, 12, 16).
    static void prepareRegion(int32_t x, int32_t y, int32_t w, int32_t h);
    static void prepareRegion(int32_t x, int32_t y, int32_t w, int32_t h, int32_t a, int32_t b, int32_t c);
    // The band drawn from its top screen row down as a plane whose rows widen from 800 pixels to
    // element 6 percent; nothing when it has no screen rows.
    static void paintRegionView(Graphics* g);
    // Screen rows of the view (0 below 1 percent) and the screen row of its top.
    static int32_t regionViewRows();
    static int32_t regionViewTop();
    // 800-pixel rows of the source scaled to a width and offset that change by a step per row
    // (14 fraction bits); a column outside its row gives opaque black.
    static void scaleRows(IntArray* src, int32_t srcRows, IntArray* dst, int32_t rows, int32_t widthStart,
                          int32_t offsetStart, int32_t widthStep, int32_t offsetStep);
    // The debug outline colour of a grid cell, by its first flag.
    static int32_t cellFlagColour(int32_t value);
    // Debug: the level grid's cells in view whose value has a bit of mask, outlined by flag; the
    // grid is laid from the current layer object.
    static void paintCollisionOverlay(Graphics* g, int32_t mask);

    // ---- sprite paint effects, screen filter and glow ----

    // Flags, the effect state's rows, the overlay image, the painter's hooks.
    static void initPaintEffects();
    static void drawRGBColumnBand(Graphics* g, int32_t x, int32_t y, IntArray* pixels, int32_t w, int32_t h);
    static void paintEffectSpriteFrame(Graphics* g);
    static void paintGradientEdges(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h);
    static void emitQueuedParticleAt(Graphics* g, int32_t x, int32_t y);
    // Where queued particles go (setEntry); tests record them here.
    static void (*particleSink)(int32_t kind, int32_t x, int32_t y);
    static void startScreenFilter(int32_t level, int32_t target, int32_t mode);
    static void paintScreenSmear(Graphics* g);
    static void smearPixelsForward(int32_t n, IntArray* pixels, int32_t strength);
    static void smearPixelsBackward(int32_t n, IntArray* pixels, int32_t strength);
    static void captureGlowFromRect();
    static void captureGlowRegion(int32_t x, int32_t y, int32_t w, int32_t h);
    static void paintGlow(Graphics* g);
    static void drawGlow(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h, int32_t kh, int32_t kv,
                         int32_t gain);
    static void glowFilter(IntArray* buffer, int32_t destination, int32_t kh, int32_t kv, int32_t gain);

    // ---- drawing operations and paint-effect switches ----

    static void fillGradient(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h, int32_t from, int32_t to);
    static void fillScreen(int32_t colour);
    static void drawBufferImage(Graphics* g);
    static void repaintDirtyRects(Graphics* g);
    static void drawOverlayImageAlpha(Graphics* g, int32_t alpha, int32_t unused);
    static void drawDebugCross(Graphics* g, ASpriteInstance* instance, int32_t colour);
    static void setFlags(int32_t bits);
    static void clearFlag(int32_t bits);
    static void setTableInt(int32_t row, int32_t i, int32_t v);
    // Row `row` of the effect state (an int[]), or null.
    static IntArray* paintEffectRow(int32_t row);

    // ---- map buffer repaint and paint operations ----

    // The background buffer brought to the view origin (x, y): exposed strips only when the
    // last view overlaps, else the whole view.
    static void repaintMapBuffer(ObjectArray* layers, ObjectArray* sprites, int32_t x, int32_t y);
    static void paintClippedFrame(Graphics* g, ObjectArray* layer, ASprite* sprite, int32_t x, int32_t y,
                                  int32_t screenX, int32_t screenY, int32_t w, int32_t h);
    // The instance's current frame (its still frame without animation) / frame 0 of its
    // animation at its pixel position, in the shared frame rectangle.
    static IntArray* instanceRectTemp(ASpriteInstance* instance);
    static IntArray* instanceFrameRectTemp(ASpriteInstance* instance);
    static IntArray* clearedTempRect();
    // The sprite's module images for a palette (flag 2 images, 4 pixels) for the used modules.
    static void buildCache(ASprite* sprite, int32_t palette, int32_t flags, ByteArray* usedModules);
    static void paintObjectShadow(Graphics* g, Object* object);
    static void paintObjectOverlayInstance(Graphics* g, Object* object, bool second);
    static void paintLayoutFrame(Graphics* g, int32_t frame, int32_t flags);
    // text at (x, y) in font 0, or font 1 when second is set, into this frame's Graphics.
    static void drawStringAt(bool second, String* text, int32_t x, int32_t y);
    // True, reported as a null access, when there is no Graphics to draw into.
    static bool noGraphics(Graphics* g);
    // Slot n of the sprite table, or null.
    static ASprite* spriteSlot(int32_t n);
    // The object's key in the per-frame display lists: by paint priority and x (layered), else
    // by position.
    static int32_t objectAnchorY(CObject* o, bool layered);
    // Debug: CObject's debug rectangle outlined in view; the ids of the objects in view.
    static void drawDebugRect(Graphics* g, int32_t colour);
    static void paintWorldLabels(Graphics* g, ObjectArray* objects);
    // Debug: the cells of each layer object in view, laid from its instance on screen and
    // outlined by flag.
    static void paintFrameObjectOutlines(Graphics* g);
    // Debug: the interaction tables' rings around the player with their load and capacity, a
    // crosshair at the view's centre and at every type-5 object with labels on boxes; with
    // printLists the event scripts' and the timed modifiers' state on System.out.
    static void paintDebugOverlay(Graphics* g, bool printLists);

    // ---- the interaction target, the goal arrow and the switch groups ----
    static InteractionStatics interaction;
    // The object the player faces and can reach, marked by HUD entry 1.
    static void selectInteractionTarget();
    // HUD entry 14 on the goal, or at the view's edge towards it.
    static void updateTargetIndicator();
    // The camera target's anchor minus the point the camera centres on.
    static void updateCameraTargetOffset(int32_t a, int32_t b);
    // The group's generators' blocks and members get the event (0 as 7, 10 as 11, no other).
    static void signalGroup(int32_t group, int32_t event);
    static void signalGroupB(int32_t group, int32_t event);
    static void signalLinkedRange(CObject* generator, int32_t event);
    static void playObjectEvent(int32_t index, int32_t event);
    // The first object of the list that the player's box attaches is linked to the player.
    static void attachFirstTouching(ObjectArray* list, int32_t count);
    // The collision response of the player against the object, by the player's state.
    static void checkPlayerCollision(CObject* o);

    // ---- painters of objects the world painter calls beside drawByKind ----
    static KindPaintStatics kindPaint;
    // The particles of emitter n.
    static void paintEmitter(Graphics* g, int32_t n);
    // The shadow (HUD entry 13) placed for the camera while the player casts one.
    static void paintPlayerShadow(Graphics* g);
    // The marker (HUD entry 5) over an object, when its parameters and the play mode ask for it.
    static void paintHudObject(Graphics* g, CObject* o);
    // The player's clip rectangle (map pixels); switched on only when both sides are above 0.
    static void setPlayerClipRect(int32_t x, int32_t y, int32_t w, int32_t h);

    // ---- routines of other parts of the game these call (game/pending.cpp until built) ----

    static void drawWrappedBackground(Graphics* g, int32_t cx, int32_t cy, int32_t x, int32_t y);
    static void startObjectSound(Graphics* g, ASpriteInstance* instance, IntArray* params);
    static void paintParticles(Graphics* g, int32_t emitter, int32_t limit);
    // World to screen for an instance (by the object's kind and parameters), and back.
    static void computeLayerOffset(ASpriteInstance* instance, int32_t kind, int32_t flag, IntArray* params);
    static void computeLayerOffsetAlt(ASpriteInstance* instance, int32_t kind, int32_t flag, IntArray* params);

    // ---- Cell grids and tile probes, sweeps, foreground cells, the player's cell runs, routes ----
    // Pixel points in level space; a probe finds the grid that owns the point (the level grid or a
    // layer object's) and leaves the grid selection as it found it. Game thread only.
    static CellGridStatics grids;
    static constexpr int32_t kCellSize = 32;
    static constexpr int32_t kLayerType = 50;
    static constexpr int32_t kRoutePoints = 25;
    // A type-50 object becomes the current room with its grid; anything else selects the level grid.
    static void setCurrentRoom(CObject* o);
    // (cell & mask) != 0; outside the current grid: true for the level grid (its edge is a wall),
    // false for a layer grid.
    static bool testTableBit(int32_t column, int32_t row, int32_t mask);
    // Outside the current grid: false.
    static bool testTableBitInside(int32_t column, int32_t row, int32_t mask);
    // The cell, sign-extended; outside: 2 in the level grid, 0 in a layer grid.
    static int32_t getTableCell(int32_t column, int32_t row);
    // Makes current the grid that owns the point: the level grid where its cell has a bit of 0x28A
    // or lies outside, else the layer object found there, else the level grid.
    static void selectGridAt(int32_t x, int32_t y, bool flag);
    static bool isBlockedAt(int32_t x, int32_t y, int32_t mask);
    static bool isBlockedAtB(int32_t x, int32_t y, int32_t mask);
    static int32_t cellValueAt(int32_t x, int32_t y);
    static int32_t cellLeftOf(int32_t x, int32_t y);
    static int32_t cellTopOf(int32_t x, int32_t y);
    // Samples every 16 pixels along the longer axis; segments shorter than 16 on both axes are clear.
    static bool isSegmentBlocked(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t mask);
    // The edge an object is about to cross: a row (up, down) or a column (left, right) offset from
    // (x, y), sampled at the start, 31 past it, then every 32 below length. `all`: every sample
    // must be blocked; no samples answer `all`.
    static bool scanRowBlocked(int32_t x, int32_t y, int32_t length, int32_t offset, int32_t direction, int32_t mask,
                               bool all);
    // Every pixel of the rectangle, edges included.
    static bool isPixelAreaBlocked(int32_t x, int32_t y, int32_t w, int32_t h, int32_t mask);
    // Sets (mode 0) or clears (mode 1) the footprint bit 0x10 of a type-5 object.
    static void markObjectFootprint(CObject* o, int32_t mode);
    static void resetObjects(ObjectArray* objects);
    static int32_t targetMaskForObject(CObject* o);
    // Rows and columns of the rectangle by the sampling rule (start, start + 31, then every 32).
    static bool scanAreaBlocked(int32_t x, int32_t y, int32_t w, int32_t h, int32_t mask);
    // Repaints the foreground cells over an object's box so that it stands behind them.
    static void paintForegroundCells(javax_microedition_lcdui_Graphics* g, int32_t left, int32_t top, int32_t right,
                                     int32_t bottom, int32_t baseY, int32_t centreX, bool alternate, bool variant);
    // Where a box moving in `direction` may stop, pushed out of blocked cells (at most six cells).
    static int32_t findMoveLimit(int32_t x, int32_t y, int32_t direction, int32_t mask, int32_t offset,
                                 int32_t offsetY, int32_t w, int32_t h);
    // A rectangle probed every 32 pixels, its last column and row always included.
    static bool isRectBlocked(int32_t x, int32_t y, int32_t w, int32_t h, int32_t mask);
    static bool isTileMaskAt(CObject* o);
    // The cell n cells beyond the player's box; false without a held object.
    static bool isPlayerBlockedInDirection(int32_t direction, int32_t n, int32_t mask);
    // Runs of cells from a point, each stepping a cell first; a layer grid's run ends at its border.
    static int32_t findBlockedCellLeft(int32_t x, int32_t y);
    static int32_t findBlockedCellRight(int32_t x, int32_t y);
    static int32_t findBlockedRunAbove(int32_t x, int32_t y);
    static int32_t findBlockedCellBelow(int32_t x, int32_t y);
    // Routes: the current point's pixel position (the centre of its cell).
    static int32_t getPathPointX(int32_t route);
    static int32_t getPathPointY(int32_t route);
    // True when the route wraps to its first point.
    static bool advancePathPoint(int32_t route);
    static int32_t directionToPathPoint(int32_t x, int32_t y, int32_t route, int32_t ahead);
    // Built by later work (game/pending.cpp for now).
    static CObject* findObjectInRange(int32_t x, int32_t y, ObjectArray* objects, int32_t from, int32_t to,
                                      bool option, bool stopAtFirst);
    static int32_t findOnScreenObject(int32_t x, int32_t y, int32_t a, int32_t b, int32_t c);
    static void setGridFlagsInRect(int32_t layerIndex, int32_t x, int32_t y, int32_t w, int32_t h, int32_t mode,
                                   int32_t bits);
    static void selectTarget(CObject* o, int32_t snap);
    static void clearTarget(CObject* o);
    static int32_t computeBorderDistance(CObject* o, int32_t direction, int32_t margin, int32_t x, int32_t y,
                                         int32_t w, int32_t h);
    static void paintMapCells(javax_microedition_lcdui_Graphics* g, int32_t left, int32_t top, int32_t right,
                              int32_t bottom, int32_t column, int32_t row, bool variant);

    // ---- Directions, player animation and movement: the item points and kind boxes ----
    struct MotionTableStatics {
        ObjectArray* s_itemOffsets;  // short[2] per item: the hand point (x, y), pixels
        ObjectArray* s_kindBoxes;    // per kind short[2][4]: (x, y, w, h); record 1 in play mode 2
        ObjectArray* s_itemTableB;   // short[][][]: the level's item table B
        MRC_REF_FIELDS(&MotionTableStatics::s_itemOffsets, &MotionTableStatics::s_kindBoxes,
                       &MotionTableStatics::s_itemTableB);
    };
    static MotionTableStatics motionTables;
    static int32_t remapKeys(int32_t keys);
    static int32_t itemAnimOffset(int32_t base, int32_t item, int32_t p);
    static int32_t itemAnimOffsetB(int32_t base, int32_t item, int32_t p);
    static void updateTriggerList(ObjectArray* list);
    // The player turned round: the opposite of its facing fed to CObject::setInput.
    static void getReverseFacing();
    // Built by later work (game/pending.cpp for now).
    static int32_t clampPlayerMove(CObject* o, int32_t a, int32_t b, int32_t step);
    static int32_t clampPlayerMoveAlt(CObject* o, int32_t a, int32_t b, int32_t step);
    static bool isWithinRadius(int32_t a, int32_t b, int32_t c);
    static bool isWithinRadiusOnLayer(CObject* o, CObject* other, int32_t a, int32_t b, int32_t c);
    static bool isWithinTableLimit(CObject* o, int32_t a, int32_t b);
    static bool isWithinTableLimitOnLayer(CObject* o, CObject* other, int32_t a, int32_t b);

    // ---- Object factories of the level records, and the six pools of reusable objects ----
    static LevelSetupStatics levelSetup;
    static constexpr int32_t kChildCount = 19;
    static constexpr int32_t kFirstChildId = 16384;
    // Params lengthened by the type's extra slots for types 80-88 (the caller's array is kept
    // for the other types).
    static CObject* createObjectFromDef(int32_t id, int32_t type, int32_t x, int32_t y, IntArray* params);
    static int32_t extraParamSlots(int32_t type);
    // Stored at `index` of the type-18 list.
    static void createObjectWithParams(int32_t id, int32_t type, int32_t x, int32_t y, IntArray* templ,
                                       int32_t index, int32_t value);
    static CObject* createObjectSimple(int32_t x, int32_t y, IntArray* templ);
    // A type-10 object centred in the record's rectangle.
    static CObject* createObjectWithArray(int32_t x, int32_t y, IntArray* record);
    static CObject* createObjectWithParams7(int32_t id, int32_t x, int32_t y, IntArray* templ);
    // A copy of `list` with record[5] hidden type-5 objects appended, ids counter + 1 onward.
    static ObjectArray* createObjectFromList(int32_t generator, ObjectArray* list, int32_t id, int32_t x, int32_t y,
                                             IntArray* record, int32_t counter);
    static ObjectArray* createObjectPool20();
    static ObjectArray* createObjectPoolB(int32_t id);
    static ObjectArray* createObjectPoolC();
    static ObjectArray* createObjectPool10();
    static ObjectArray* createObjectPool15();
    static ObjectArray* createObjectPool30();
    static void resetObjectArray(ObjectArray* objects);
    // Built by later work (game/pending.cpp for now).
    static IntArray* createFromTemplate(IntArray* params, bool copy);
    static void setRangeEntry(int32_t n, int32_t x, int32_t y, IntArray* values);

    // ---- Layer links and record ids resolved into list indices ----
    static void resolveLinkIds(ObjectArray* list);
    static void remapRecordId(ByteArray* data, int32_t kind, int32_t offset);
    // Built by later work (game/pending.cpp for now).
    static void setPopupItemMaskA(int32_t mask);
    static void setPopupItemMaskB(int32_t mask);
    static void setPopupItemMaskC(int32_t mask);

    // ---- Pool slots, layer members, level-part tables, tile-aligned areas, list release ----
    static constexpr int32_t kAreaRecordCode = 28;
    static int32_t findFreeDirectionalSlot();
    static int32_t findFreeTableSlot();
    static int32_t findFreeProjectileSlot();
    static int32_t findFreeTileSlot();
    static int32_t addLayerMember(CObject* o, int32_t n);
    // Layer templates of `part` and grids of `gridPart`, read in ascending key order.
    static void loadLevelPart(ObjectArray* objects, int32_t part, int32_t gridPart);
    // Returns the position after the object's area record.
    static int32_t alignObjectToTile(ByteArray* data, int32_t position, CObject* o);
    static void releaseObjectList(ObjectArray* list, bool freeSprites);
    // Built by later work (game/pending.cpp for now).
    static ObjectArray* buildShortTable(ObjectArray* templ, ByteArray* bytes);
    static ObjectArray* buildShortTable3(ByteArray* a, ByteArray* b);
    static int32_t getUpgradeLevel(int32_t item);

    // ---- Object painting aids ----
    static void paintObjectBoxes(Graphics* g, int32_t camX, int32_t camY, CObject* o, int32_t colour);
    static void createEffectInstances();

    // ---- Route finder over the 50 x 30 route window, and its route tables ----
    static PathFindingStatics pathFinding;
    static void initPathFinding();
    static void releasePathFinder();

    // ---- Gauges: the HUD's gauge statics, the refill scan and depth keys ----
    static HudGaugeStatics hudGauges;
    // The slot at which gauge kind's refill schedule has spent counter + delta down to its limit.
    static int32_t scanCyclicTableForLimit(int32_t kind, int32_t delta);
    // 0 for a type-87 object whose params[10] is 5; else (y >> 14) * 256 + (x >> 14).
    static int32_t objectDepthKey(CObject* o);
    // HUD services, built by later work (game/pending.cpp for now).
    static void restartTimerOf();
    static void addToCounter(int32_t kind, int32_t amount);

    // ---- References of loaded data, and the object actions of the event scripts ----
    static ObjectActionStatics objectActions;
    // The template id at the reader's position + 2 becomes its index; codes 165-167 and 181
    // patch the record further.
    static void resolveRecordIdInData(ByteArray* reader, int32_t code, int32_t position, ObjectArray* a,
                                      ObjectArray* b);
    static void bindObjectArrays(CObject* o);
    static void releaseSlot(CObject* o, ObjectArray* list, int32_t count);
    static void stopTimerAndApplyHit(CObject* o, ObjectArray* list, int32_t count);
    static void applyDamageTo(CObject* o, ObjectArray* list, int32_t count, bool flag);
    static void killObject(CObject* o);
    static void checkTriggerZone(IntArray* p, int32_t x, int32_t y, CObject* o);
    static void scriptSetObjectParam(int32_t i, int32_t v);
    static void scriptPlaceObject(int32_t list, int32_t i, int32_t cx, int32_t cy, int32_t targetList,
                                  int32_t targetIndex, int32_t side, bool attach);
    static void resetObjectAnim(int32_t a, int32_t b, CObject* o);
    static void applyCameraZoneAt(int32_t x, int32_t y);
    // Marks in used (a boolean[] per sprite part) the frames the objects of a sprite slot can show.
    static void markObjectModules(ObjectArray* used, ObjectArray* objects, int32_t slot);
    // Marks in used the modules of every frame of the animation (of the frame), through module
    // mapping remap when it is 0 or more and the sprite has it.
    static void copyFrameData(BoolArray* used, ASprite* sprite, int32_t anim, int32_t remap);
    static void copyFrameRects(BoolArray* used, ASprite* sprite, int32_t frame, int32_t remap);
    // Built by later work (game/pending.cpp for now).
    static void runSequence(IntArray* params, int32_t x, int32_t y);
    static void setCameraOnObject(int32_t x, int32_t y, int32_t w, int32_t h, int32_t a, int32_t b, int32_t flag);
    static void updateAutoScroll(bool force);
    static void displaceKind5Objects(ObjectArray* list, CObject* o);
    static void bindCurrentRecordToObject(CObject* o);
    static int32_t scaleBySelectedUpgrade(int32_t v);
    // Links the object to the player (null: drops the player's link).
    static int32_t updatePlayerLink(CObject* o);

    // ---- In-game HUD: panels, gauges, banners and the chain counter (values with 14 fraction bits) ----
    static HudStatics hudStatics;
    // Start values of the block (the resources' set-up).
    static void initHud();
    static void paintHealthBar(Graphics* g);
    static void paintHealthPanel(Graphics* g);
    static void paintEnergyPanel(Graphics* g);
    static void paintPointsGauge(Graphics* g);
    // Once per gameplay step: the two panel animations, then the player's energy.
    static void updateHudBars();
    // Level start: the HUD animations, the chain and flash, layout 6's positions.
    static void resetHudAnimations();
    static void resetHudState();
    static void paintHudInstance(Graphics* g);
    static void paintTargetSign(Graphics* g);
    static void paintRandomParticles(Graphics* g);
    static void paintListInstance(Graphics* g, CObject* o);
    static void paintSidePanel(Graphics* g);
    static void paintSlidingBanner(Graphics* g);
    // A bar box (layoutBox): the box in `fill` unless flag 16, the bar in `bar`, then the blink.
    static void fillFramedRect(Graphics* g, int32_t fill, int32_t bar, int32_t max, int32_t value, int32_t x,
                               int32_t y, int32_t w, int32_t h, int32_t padX, int32_t padY, int32_t flags);
    static void countChainHit();
    static void showChainBanner();
    static void paintPointsPanel(Graphics* g);
    static void paintChainCounter(Graphics* g);
    static void paintChainBanner(Graphics* g);

    // ---- Script waits, timed screen pieces and the player's energy (once a frame each) ----
    // True when the script may go on; a true answer clears the key state.
    static bool waitForConfirm(bool skip);
    static bool stepGaugeRefill();
    static void startOverlaySequence();
    static bool checkTimerExpired();
    static bool runTimedOverlay();
    static void stopBlinkRect();
    static void paintBlinkRect(Graphics* g, int32_t flags);
    static void paintDimmedBackground(Graphics* g);
    static void updatePanelSlide();
    static void updatePlayerEnergy();
    static void restoreObjectState(CObject* o);
    // Built by later work (game/pending.cpp for now).
    static void emitRandomParticles();
    static int32_t getUpgradeLevelAlt(int32_t item);


    // ---- Object operations: placing, the event-script timer, the flag list ----
    // Position (x, y) in fixed point; targets and footprints follow the move. Null does nothing.
    static void placeObject(CObject* o, int32_t x, int32_t y);
    // True (and the timer freed) once the event scripts' timer has run ms milliseconds.
    static bool timerDone(int32_t ms);
    // Sets (set == 1) or clears a bit of the flag list, counting it in category 0, 1 or 2.
    static void setFlagBits(int32_t entry, int32_t bit, int32_t set, int32_t category);
    // The view's centre from the flag list (built by later work).
    static void computeViewCenter();
    // Start values of the object operations' state (no detach pending).
    static void initObjectOperations();
    // A pick-up (type 16) the player touched: counted, animated, its gains added to the gauges.
    static void collectPickup(CObject* o);
    // The running event script, its selected object and its timer let go.
    static void resetScriptState();
    // Releases the cinematic track of the selected object (types 1 and 3).
    static void checkSelectedObject();
    // Steers o at the target point (x, y): along x only while params[40] is set; then one step.
    static void hitObject(CObject* o, int32_t x, int32_t y, int32_t flags);
    static void clearHit(CObject* o, int32_t x, int32_t y, int32_t value, int32_t speed);
    // The scene effect's target line (element 0, 14 fraction bits) from the player or a and b.
    static void trackObject(int32_t mode, bool vertical, int32_t a, int32_t b, bool animate);
    // The meter's frame at the scene effect's percentage.
    static void setMeterFrame(CObject* o);
    static void resetInteraction(CObject* o);
    // Built by later work (game/pending.cpp for now).
    static void selectItem(CObject* o, int32_t item, int32_t next, bool keepOverlay);

    // ---- Particle emitters ----
    static ParticleStatics particles;
    static constexpr int32_t kParticleSlots = 150;  // particle records per emitter
    // One frame of emitter n: its life, its particles' motion, its emissions, its release.
    static void updateParticleEmitter(int32_t n);
    // Launches the next particles of emitter n (the particle system's).
    static void emitParticles(int32_t n);

    // ---- Timed modifiers: interaction values raised for a while ----
    static ObjectOperationStatics operations;
    static CameraStatics camera;
    static constexpr int32_t kTimedModifierRecords = 30;
    // All records free.
    static void initTimedModifiers();
    // Records amount, added to s_interactionLoad[a][b] by the caller, for giving back when its
    // duration runs out; gives it back at once when no timer is free.
    static void addTimedModifier(int32_t a, int32_t b, int32_t amount);
    // Gives back every modifier whose duration has run out; once per gameplay frame.
    static void updateEffects();

    // ---- Object actions of the event scripts, and the hold of a grabbed object ----
    // Makes popup params[22] (0-9) current and activates it, unless it already is.
    static void selectRecordFromParams(IntArray* params);
    static void detachEffect(int32_t index);
    // The hold raises the screen filter and the overlay bit; the release lets the filter fade.
    static void enterHoldState(CObject* player);
    static void leaveHoldState();
    // The swing gauge's step; a full gauge ends the swing.
    static void updateTimedMode(CObject* player);
    // Built by later work (game/pending.cpp for now).
    static CObject* findObjectContainingRect(int32_t x, int32_t y, int32_t w, int32_t h, ObjectArray* list,
                                             int32_t count);
    static void placeAtTile(int32_t x, int32_t y, int32_t kind);
    // The effect's pool index, or -1.
    static int32_t launchProjectile(ASprite* sprite, int32_t direction, int32_t x, int32_t y, int32_t anim, int32_t a,
                                    int32_t b, int32_t c, int32_t d, int32_t e, int32_t f, int32_t g);
    static ASprite* getEmitterSprite(int32_t kind);
    static int32_t getEmitterTypeField2(int32_t kind);
    static void resetAllObjects();
    static void runOnActiveObjects(CObject* o);
    static void updateAllObjectsB();
    static void initCameraFromObject(CObject* o);

    // The digits of `text` at its even indexes (minus '0') into `digits`, as many as it holds.
    static void readPropertyDigits(String* text, IntArray* digits);

    // The menu system: opening with history and preparation, the per-frame update, keys, soft
    // keys, item actions, the sound options and the sub-menu screens.
    struct MenuStatics {
        int32_t selection;      // the item index last given to setMenuCursor
        int32_t transitionEnd;  // the opening counter's end, the panel's height
        int32_t panelNumber;    // 1 without a panel
        int32_t layoutId;       // layout of the open menu, -1 none
        uint8_t musicOn, soundEffectsOn;
        // The sub-menu pages: the list cursor and its last page, the scrolling text's position
        // and end (14 fraction bits).
        int32_t listCursor, lastPage, scrollY, scrollEnd;
        // The backlight refresh: its switch (on while the game runs) and the tick count of the last
        // refresh.
        uint8_t backlightKeepAlive;
        int64_t lastBacklightTicks;
        // The list page's page button: lit while set; each paint stores whether its label was drawn.
        uint8_t listHighlight;
    };
    static MenuStatics menuStatics;
    static void initMenuStates();
    static void pushMenuItemHistory();
    static int32_t popMenuHistory();
    static bool isInGameMenu();
    static void refreshPromoEntry();
    static void preparePauseMenu();
    static void prepareOptionsMenu();
    static void prepareInGameOptionsMenu();
    static void preparePromoMenu();
    static void prepareMenu(int32_t menu);
    static int32_t buildItemMenu();
    static void openUpgradeMenu();
    static void runMenuPhases(bool mainMenu);
    static void updateMenu();
    static void updateMenuAnimated();
    static void updateMainMenuInput();
    static void updateMenuInput();
    static void updateCommonMenuKeys();
    static void moveMenuCursor(int32_t step);
    static void confirmMenuItem();
    static void menuSoftKey(int32_t action);
    static bool toggleSoundItem();
    static bool isTouchControlsItem();
    static void toggleTouchControls();
    static void startNewGame();
    // The actions of the pause menu's resume item, the death choice (menu 8), the chapters
    // (menu 9), the summary's offer (menu 11) and the leave-level confirmation (menu 12).
    static void resumeFromPauseMenu();
    static void chooseAfterDeath(int32_t item);
    static void secondaryMenuAction(int32_t menu, int32_t item);
    // Menu 10's keys before the common ones: the walk over (row, column) places; true when the
    // keys were used.
    static bool upgradeMenuKeys();
    // After the common keys: a held confirm buys in column 0 or 1; elsewhere the hold timer
    // restarts.
    static void upgradeHoldRule();
    // Built by later work (game/pending.cpp for now).
    static void restartAtLevel(int32_t level);
    static void paintDeathScene(Graphics* g);
    static void selectSaveSlot(int32_t slot);
    static void removeSelectableItem(int32_t item);
    static void enterMenuState(int32_t kind);
    static void enterLevelSetup(int32_t reason);
    static void enterState();
    static void updateAnimList(int32_t n);
    static void moveLayoutElement(int32_t layout, int32_t element, int32_t dx, int32_t dy);
    // Sound cues: a request on the first channel, and every sound stopped; game events mapped
    // to sounds, gated by the effects or the music switch.
    static int32_t soundForEvent(int32_t event);
    static void playSoundForEvent(int32_t event);
    static void playMusic(int32_t event, int32_t ignored);
    static void requestSound(int32_t index);
    // Sound `sound` once on the first channel, when sound effects are on.
    static void requestEffectSound(int32_t sound);
    static void stopAllSounds();
    // Keeps the display lit: at most one flash of the backlight a second, while switched on.
    static void refreshBacklight();
    // The sub-menu pages (state 10).
    static void openScrollingTextPage();
    static void paintLayout11AndReset();
    static void paintLayoutAndResetCursor();
    static void handleCursorKeys();
    static void updateSubmenu();
    static void paintSubmenu(Graphics* g);
    // The promotion state (19): through the hooks; without them it ends at once.
    static void updatePromo();
    // The promotion screen's code for the frame's keys, the first that is pressed of up, down,
    // left, right, back and confirm.
    static int32_t promoKeyCode(int32_t keys);
    // The title screen (state 3).
    static void updateTitle();
    static void paintTitle(Graphics* g);
    // Built by later work (game/pending.cpp for now).
    static void repaintBackgroundBuffer();
    static void resetLevel(int32_t mode);

    // ---- prompt boxes: the bottom panel, the framed box, the upgrade hints, the loading tips ----
    static PromptStatics prompts;
    static void initPromptStatics();
    // Opens a framed box on the text (600 wide): flags 1 shifts it 300 left, 2 centres it on y.
    // Returns the text's page count.
    static int32_t layoutMenuItems(int32_t font, int32_t group, int32_t text, int32_t x, int32_t y, int32_t arrow,
                                   bool paged, bool open, int32_t lineHeight, int32_t flags);
    static int32_t openMenuSimple(int32_t font, int32_t group, int32_t text, bool paged, bool open);
    static int32_t openPromptAt(int32_t font, int32_t group, int32_t text, int32_t x, int32_t y, int32_t arrow,
                                bool paged, bool open);
    // The two-answer question of the command at scriptPos (answer ids at + 6 and + 8).
    static void openMenuLayout(ObjectArray* fonts, int32_t font, int32_t palette, int32_t group, int32_t text,
                               int32_t textArg, int32_t speaker, int32_t scriptPos);
    static void paintPromptBox(Graphics* g);
    static void paintPromptText(Graphics* g, int32_t font, int32_t group, int32_t text, int32_t x, int32_t y,
                                int32_t w, int32_t h, int32_t fill, int32_t border, int32_t style, int32_t flags);
    // The box of the event-script command under the script cursor.
    static void handleMenuCommand(Graphics* g);
    // Menu 10's five hints (layout 10, elements 46-50), then the panel back in column 0.
    static void openOptionList();
    static void updateOptionList();
    static void nextHint();
    static void paintOptionList(Graphics* g);
    static void paintOverlay(Graphics* g);
    // Loading tips: a random one of texts 0-19 of group 3; tip 22 + n (0 <= n < 14) first.
    static void randomEntry(Graphics* g);
    static void selectEntry(Graphics* g, int32_t n);
    // Built by later work (game/pending.cpp for now): the fade that paces the hints.
    static bool updateProgressFade();

    // ---- full-screen level states: death, level end, title card, summary, story, game end,
    // information page and the promotion offer ----
    static constexpr int32_t kStateDeath = 12;
    static constexpr int32_t kStateLevelEnd = 13;
    static constexpr int32_t kStateLevelIntro = 14;
    static constexpr int32_t kStateLevelSummary = 15;
    static constexpr int32_t kStateStoryText = 16;
    static constexpr int32_t kStateGameEnd = 17;
    static constexpr int32_t kStateInfoPage = 18;
    static constexpr int32_t kStatePromoOffer = 20;
    static void initLevelScreenStates();
    static void paintDeath(Graphics* g);
    static void enterLevelEnd();
    static void updateLevelEnd();
    // Builds the summary into the background buffer, saves the progress and enters state 15.
    static void enterLevelSummary();
    static void updateLevelSummary();
    static void paintLevelSummary(Graphics* g, bool inBuffer);
    // The level's completion percentage (0..100) from the found counts; kept as the level's
    // best (and the options record saved) when it beats it.
    static int32_t recordCompletion();
    // The offer after the summary: saving on, completion at least 80 and an ability still missing.
    static bool summaryOfferHolds();
    // The level timer of these screens: allocated on first use, otherwise started again now.
    static void startLevelTimer();
    static void updateLevelIntro();
    static void paintLevelIntro(Graphics* g);
    // The title card's box (a button element's x, y, w, h) grown by the card's time about its
    // centre: 100 % at the start, 300 % after a second.
    struct TitleCardBox {
        int32_t x, y, w, h;
    };
    static TitleCardBox titleCardBox(ShortArray* element);
    static void enterFullScreenText();
    static void updateStoryText();
    static void paintStoryText(Graphics* g);
    static void enterGameEnd();
    static void finishGameEnd();
    static void updateInfoPage();
    static void paintInfoPage(Graphics* g);
    // Built by later work (game/pending.cpp for now).
    static void updateDeath(CObject* player);
    static void updateAllObjectLists();
    static void updateTemplateObjects();
};

namespace mrc {
// The Game class factory and the constructor hook KetraKRVD runs; idempotent.
void registerGameClasses();
}  // namespace mrc
