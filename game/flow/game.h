// Game: the game's canvas. The framework's QXLib runs its thread and frames; Game adds the game's
// side of the start-up (property digits, palette flag, promotion screen, sound manager), its key
// events and its pause and resume notifications. It has no instance fields of its own.
#pragma once

#include <cstdint>

#include "framework/core/game_base.h"
#include "framework/core/game_input.h"
#include "framework/core/qxlib.h"
#include "game/flow/game_statics.h"
#include "game/flow/game_state_statics.h"

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

    // ---- frame step and state machine ----

    static constexpr int32_t kStateBoot = 0;
    static constexpr int32_t kStateStartup = 1;
    static constexpr int32_t kStateLoading = 2;
    static constexpr int32_t kStateTitle = 3;
    static constexpr int32_t kStateMenu = 4;
    static constexpr int32_t kStateSubmenu = 10;
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
    static void addDirtyRect(int32_t x, int32_t y, int32_t w, int32_t h);
    // Repaints the dirty rectangles of the background buffer from the buffer's base colour and
    // forgets them.
    static void repaintDirtyRects(Graphics* g);

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
    static bool touchZone(int32_t zone);
    static void updateGameplay(int32_t mode);
    static void drawButtonDefault(Graphics* g, int32_t layout, int32_t option, int32_t text);
    static bool isElementVisible(int32_t layout, int32_t element);
    static void paintGlow(Graphics* g);
    static void paintLayoutElement(Graphics* g, int32_t layout, int32_t element);
    // The item of the open menu (its row, for menu 10) whose rectangle holds the point, by the
    // menu's layout; -1 none.
    static int32_t menuItemAt(int32_t menu, int32_t x, int32_t y);
    static void menuAction(int32_t action);
    static void showUpgradePanel(int32_t which);
    static int32_t upgradeMode();
    static void checkInteraction();
    // The player's action; -1 without a player.
    static int32_t playerAction();
    // The player faces left (0x408) or right (0x1010).
    static void turnPlayer(int32_t direction);
    static int32_t selectedObjectType();
    static int32_t countUnlockedEntries();
    static int32_t indexOfKindKey(int32_t key);

    // The digits of `text` at its even indexes (minus '0') into `digits`, as many as it holds.
    static void readPropertyDigits(String* text, IntArray* digits);
};

namespace mrc {
// The Game class factory and the constructor hook KetraKRVD runs; idempotent.
void registerGameClasses();
}  // namespace mrc
