// Game: the game's canvas. The framework's QXLib runs its thread and frames; Game adds the game's
// side of the start-up (property digits, palette flag, promotion screen, sound manager), its key
// events and its pause and resume notifications. It has no instance fields of its own.
#pragma once

#include <cstdint>

#include "framework/core/game_base.h"
#include "framework/core/game_input.h"
#include "framework/core/qxlib.h"
#include "game/flow/cell_grid_statics.h"
#include "game/flow/game_statics.h"
#include "game/flow/world_statics.h"

class CObject;
class javax_microedition_lcdui_Graphics;

class Game : public QXLib, public GameBase, public GameInput, public GameStatics {
public:
    MRC_CLASS(Game, QXLib);

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

    // The per-frame update and drawing of the game states, not built yet: runFrame hands the frame
    // to this hook. Empty: a frame draws nothing.
    struct FrameHooks {
        void (*runFrame)(Game* game) = nullptr;
    };
    static FrameHooks frameHooks;

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
    static void clearShotInstances();
    static int32_t getSpriteSlot(int32_t group, int32_t index);
    static void applySpriteToObject(CObject* o);
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
    // the one-byte content of new records, and the tables a save may restore into.
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
    static int32_t frameTime();

    // The digits of `text` at its even indexes (minus '0') into `digits`, as many as it holds.
    static void readPropertyDigits(String* text, IntArray* digits);
};

namespace mrc {
// The Game class factory and the constructor hook KetraKRVD runs; idempotent.
void registerGameClasses();
}  // namespace mrc
