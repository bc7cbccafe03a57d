// CObject: every thing that lives in a level (the player, actors, switchable and attached objects,
// templates, layers, scripted objects, pooled effects). An object is a sprite instance (position
// and animation), a type number and an int[] of parameters whose layout depends on the type;
// there are no subclasses. Much of the player's state lives in the class's statics so that the
// menus and the HUD reach it without an object. Game thread only.
#pragma once

#include <cstdint>

#include "runtime/core/arrays.h"

class ASprite;
class ASpriteInstance;
class javax_microedition_lcdui_Graphics;

class CObject : public Object {
public:
    MRC_CLASS(CObject, Object);
    MRC_REF_FIELDS(&CObject::m_sprite, &CObject::m_params);

    // Parameter indices shared by the types that use them.
    static constexpr int32_t PARAM_ENABLED = 0;
    static constexpr int32_t PARAM_TIMER_PERIOD = 1;
    static constexpr int32_t PARAM_TIMER_RANDOM = 2;
    static constexpr int32_t PARAM_KIND = 3;
    static constexpr int32_t PARAM_LIST_INDEX = 4;
    static constexpr int32_t PARAM_ANIM = 5;
    static constexpr int32_t PARAM_LINK_ID = 7;
    static constexpr int32_t PARAM_MODE = 10;
    static constexpr int32_t PARAM_FLAGS = 11;
    static constexpr int32_t PARAM_SUBKIND = 12;
    static constexpr int32_t PARAM_STATE = 14;
    static constexpr int32_t PARAM_SUBSTATE = 15;
    static constexpr int32_t PARAM_FACING = 16;
    static constexpr int32_t PARAM_TARGET_X = 22;
    static constexpr int32_t PARAM_TARGET_Y = 23;
    static constexpr int32_t PARAM_ATTACHED = 25;
    static constexpr int32_t PARAM_RECORD = 27;
    static constexpr int32_t PARAM_TABLE_INDEX = 39;
    static constexpr int32_t PARAM_BOX_KIND = 40;
    static constexpr int32_t PARAM_SAVED_FACING = 41;

    // Direction codes.
    static constexpr int32_t kUp = 258;
    static constexpr int32_t kLeft = 1032;
    static constexpr int32_t kDown = 16388;
    static constexpr int32_t kRight = 4112;

    static constexpr int32_t kItemCount = 7;
    static constexpr int32_t kEffectInstanceCount = 10;
    static constexpr int32_t kBaseItemSprite = 60;  // sprite resource of the base item sprite

    // Bits of Game's player flags: owned items 0-6, applied abilities, the same abilities pending.
    static constexpr int32_t kAbilityA = 0x80, kAbilityB = 0x100, kAbilityC = 0x200;
    static constexpr int32_t kPendingA = 0x400, kPendingB = 0x800, kPendingC = 0x1000;

    struct Statics {
        int32_t s_objectsReset;
        ObjectArray* s_effectInstances;  // ASpriteInstance[10]
        int32_t s_interactionKind, s_interactionMode;
        int32_t s_interactionTarget;  // index in Game's templates, -1 none
        ObjectArray* s_rowTable3x9;   // int[3][9]
        IntArray* s_pair21;
        ObjectArray* s_slotTriples;  // int[10][3]: per segment kind its start and end kinds
        IntArray* s_stepTiles;       // int[3]: step lengths in 32-pixel tiles
        IntArray* s_stepSpeeds;      // int[4]: step speeds in pixels
        IntArray* s_countedItems;    // int[5]
        IntArray* s_itemAnims;       // int[14]: the player's params[2] per item, 7-13 with ability A
        IntArray* s_pair37;
        IntArray* s_itemSpriteOffsets;  // int[7]: added to 60, the item's sprite resource
        IntArray* s_directions;         // int[4]: up, left, down, right
        int32_t s_playerState, s_playerStateParam;
        int32_t s_inputDirection, s_moveDirection;
        int32_t s_stepSpeed, s_stepExtra;
        int32_t s_anchorX, s_anchorY, s_stepIndex;  // the anchor in fixed point
        int32_t s_boxWidth, s_boxHeight, s_boxOffsetX, s_boxOffsetY;  // the player's box, pixels
        int32_t s_itemSequence;    // the player's current action kind
        ObjectArray* s_itemSprites;  // Object[3]: base, current item, next item
        ByteArray* s_itemMarks;      // byte[7]: per item the s_itemSprites entry holding its sprite
        int32_t s_state25Blocked;
        int32_t s_playerCollisionMask;
        int32_t s_cinematicAnim;  // -1 none
        int32_t s_velocityX, s_velocityY, s_accelX, s_accelY;
        int32_t s_arcDistance, s_arcHeight;
        ObjectArray* s_kindTables;     // CObject[][]
        ObjectArray* s_kindHitTables;  // CObject[][]
        int32_t s_kindCount;
        IntArray* s_rectA;
        IntArray* s_rectB;
        int32_t s_pulseA, s_pulseB;
        ObjectArray* s_cyclicTables;  // byte[3][45]
        int32_t s_cyclicPosition;
        IntArray* s_cyclicCounters;  // int[3]
        int32_t s_shadowIndex;
        // Layer tables, allocated per level.
        ObjectArray* s_layerMaps;
        ByteArray* s_layerSlotKinds;  // per slot its template key; 255 for an unshared object's slot
        ObjectArray* s_layerGroupValues;
        ByteArray* s_layerGroupKeys;  // per group number its group key
        ObjectArray* s_layerMembers;
        CObject* s_heldObject;    // attached to the player
        CObject* s_effectObject;  // grabbed by the player
        int32_t s_pendingRelease;
        int32_t s_oneShotValue;
        bool s_animAdvance;
        int32_t s_lastActionKind;
        int32_t s_actionPhase, s_comboLevel;
        int32_t s_targetId;
        int32_t s_refillDisplayTimer, s_refillTimer;
        // Statics of the player's state machine and the object behaviours.
        int32_t s_actionTimer, s_comboTimer, s_itemTimer;  // timer ids, -1 none
        int32_t s_popupIndex;                              // -1 none
        int32_t s_effectIndex;
        int32_t s_goalCountA, s_goalCountB;
        int32_t s_markerCount;
        int32_t s_swingLevel;
        int32_t s_refillDisplayKind, s_refillDisplayStart, s_refillDisplayRate;
        IntArray* s_debugRect;  // int[4]

        MRC_REF_FIELDS(&Statics::s_effectInstances, &Statics::s_rowTable3x9, &Statics::s_pair21, &Statics::s_slotTriples,
                       &Statics::s_stepTiles, &Statics::s_stepSpeeds, &Statics::s_countedItems, &Statics::s_itemAnims,
                       &Statics::s_pair37, &Statics::s_itemSpriteOffsets, &Statics::s_directions,
                       &Statics::s_itemSprites, &Statics::s_itemMarks, &Statics::s_kindTables,
                       &Statics::s_kindHitTables, &Statics::s_rectA, &Statics::s_rectB, &Statics::s_cyclicTables,
                       &Statics::s_cyclicCounters, &Statics::s_layerMaps, &Statics::s_layerSlotKinds,
                       &Statics::s_layerGroupValues, &Statics::s_layerGroupKeys, &Statics::s_layerMembers,
                       &Statics::s_heldObject, &Statics::s_effectObject, &Statics::s_debugRect);
    };
    static Statics statics;

    // Two-point segment aiming: the segment kind, its end points and the results (pixels; the
    // direction a unit vector, the angle degrees << 14). No references.
    struct SegmentStatics {
        int32_t s_segmentIndex;
        int32_t s_segmentStart[2], s_segmentEnd[2];
        int32_t s_segmentFrom[2], s_segmentTo[2];
        int32_t s_segmentDirection[2];
        int32_t s_segmentAngle;
    };
    static SegmentStatics segments;

    // ---- fields, in order ----

    ASpriteInstance* m_sprite;
    int32_t m_id;
    int32_t m_type;
    int32_t m_sortKey;  // (y >> 14) * 256 + (x >> 14) when listed for painting
    IntArray* m_params;

    // Slot 6: hands the sprite to the instance; nothing without an instance or a sprite. The
    // instance's own slot takes no flag.
    virtual void setSprite(ASprite* sprite, int32_t flag);

    // ---- creation ----

    // The field initialiser every constructor begins with.
    void initFields();
    // The factories' constructor: a new instance at pixel (x, y), the start animation by type.
    void init(int32_t id, int32_t type, int32_t x, int32_t y, IntArray* params);
    // Level fixed objects: the id stays 0; params[15] = -1, params[16] = 1; no animation.
    void CObjectWithSprite(int32_t type, int32_t x, int32_t y, ASprite* sprite, IntArray* params);
    // Adopts an instance; the sort key from its position.
    void CObjectFromInstance(ASpriteInstance* instance, int32_t id, int32_t type, IntArray* params);
    static CObject* create(int32_t id, int32_t type, int32_t x, int32_t y, IntArray* params);

    // ---- growing the parameter array ----

    void growParams(int32_t n);
    void growParams2();
    void growParams7();
    void growParamsWithListIndex();
    void setLimitParam(int32_t value, int32_t i);

    // The element, 0 for an index outside the array (checked: reported as Java reports it).
    int32_t param(int32_t i) const { return JArray::getInt(m_params, i); }
    void setParam(int32_t i, int32_t v) { JArray::setInt(m_params, i, v); }

    // ---- state tests ----

    bool isVisibleState();
    bool isVisibleNotState5();
    bool isState7Or5Sub2();
    bool isState11Or5Sub0();
    bool isStateSetOrSub2();
    bool canInteract();
    bool canInteractNotKind8();
    bool isActive();
    bool isSelectable();
    bool isFreeToMove();
    bool isFlagsOne();
    bool isParam12Mode1Or3();
    bool matchesParam27(int32_t v);
    bool hasParam9();
    static bool isEnabledUnlessPending(CObject* o);
    static bool isRecordFlagged(IntArray* record);
    static bool isObjectScriptOpcode(int32_t op);

    // ---- accessors and setters ----

    int32_t getParamByType();
    int32_t getParamRange(int32_t v);
    int32_t clampToLimits(int32_t v);
    int32_t recordAnimOffset(int32_t v);
    void setParam26FromCode(int32_t c);
    void setParam5(int32_t v);
    void setParam23To1();
    void resetParam11Flags();
    void resetParam1Flags();
    void restoreParam16AndUnlink();
    void markRemoved();
    void reactivateFlags();
    void clearLinkIfMatches(int32_t id);
    CObject* getLinkedByKind();
    CObject* getLinkedObjectA();
    CObject* getLinkedObjectB();
    int32_t getGaugeValue(int32_t k);
    int32_t getGaugeMax(int32_t k);
    bool isGaugeFull(int32_t k);
    int32_t getScriptValue();
    int32_t getParamCellKey();
    void onScriptOpcode169(int32_t op, int32_t operand);
    void countIfMatches(CObject* other);
    int32_t actionAnimOffset(int32_t n, int32_t phase);

    static int32_t directionOfListed(int32_t i);
    static int32_t horizontalSpanOfListed(int32_t i, int32_t fallback);
    static int32_t verticalSpanOfListed(int32_t i, int32_t fallback);
    static int32_t findFreeEffectInstance();

    // ---- the player's items, steps and interaction ----

    static int32_t nextEnabledItem(int32_t v);
    static int32_t previousEnabledItem(int32_t v);
    static int32_t countFlagged();
    static void commitPendingFlags();
    static void applyAbilityFlags(int32_t n);
    static void refreshItemSprites();
    static int32_t nextSequenceStep(int32_t v);
    static int32_t countSequenceSteps(int32_t n);
    static void setCinematicPlayerAnim(int32_t code);
    // Records on an object of type 1 or 3 (params[16]) the cinematic track that drives it.
    static void setCinematicTrack(CObject* o, int32_t track);
    static void setStep(int32_t n);
    static void loadStepValue();
    static void setAnchorAtObject(CObject* o);
    static void placeAnchorBehindPlayer();
    static void cancelPendingRelease(CObject* o);
    static void setPlayerBox(CObject* o, bool alternative);
    static void startInteraction(int32_t kind, int32_t mode, CObject* o);
    static int32_t interactionAnimOffset(int32_t v);
    static bool canPlayerMoveInState(int32_t state, int32_t sub);

    // ---- the player's box, cell probes and corner sliding ----
    // The player's box (s_boxWidth ...) placed at an object's position; true = blocked.
    static bool isBoxBlocked(CObject* o);
    static bool isBoxBlockedAt(int32_t x, int32_t y);
    static bool isBoxBlockedAtMask(int32_t x, int32_t y, int32_t mask);
    static bool isBoxBlockedMask(CObject* o, int32_t mask);
    // The player box's leading edge in the direction, `distance` beyond it.
    static bool collidesInDirection(CObject* o, int32_t direction, int32_t mask, int32_t distance, bool all);
    static int32_t hitTestDirectional(CObject* object, CObject* attacker, int32_t direction);
    static bool probeCellForHeld(int32_t direction, int32_t n);
    // The object's target marks as if it stood one cell further; its position is kept.
    static void probeBoxShifted(CObject* o, int32_t direction);
    // Whether every cell of the row beyond the box (below or above) carries the ledge bit.
    static bool isEdgeClear(CObject* o, int32_t direction, bool ignoreLevelMask);
    // Moves the object so that its box stands just past the end of the ledge under it; returns
    // that cell edge, -1 when nothing moved.
    static int32_t snapBeyondEdge(CObject* o);
    static bool canStandAfterStep(CObject* o, int32_t state, int32_t facing);
    // Adds to s_moveDirection the side-step that slides a blocked straight move around a corner.
    static void slideAroundCorner(CObject* o);
    static void snapToCellEdge(CObject* o, int32_t direction);
    // Built by later work (game/pending.cpp for now).
    static bool probeLeavesBox(int32_t direction, CObject* o, int32_t x, int32_t y, int32_t w, int32_t h);

    // ---- object boxes, tile tests, attached objects and ranges ----
    static constexpr int32_t kHiddenPosition = -100 << 14;
    // The object's box from its template record, in pixels, and its cell mask.
    struct Box {
        int32_t left, top, width, height, mask;
    };
    Box box();
    bool probeTiles();
    // isRectBlocked over the object's box with its mask less the bits of `exclude`.
    bool hitTestRect(int32_t exclude);
    bool hitTestRectB(CObject* player);
    bool playerBoxTouchesCells(CObject* o);
    bool scriptRangeTest(int32_t x0, int32_t x1, int32_t y, CObject* o);
    bool isPlatformOnScreen();
    bool isBelowThreshold();
    // This is the player: puts `other` in a free slot beside it and turns to face it.
    bool placeOtherBeside(CObject* other, bool testOnly);
    bool snapToTileEdge(int32_t direction, int32_t maxStep, CObject* other);
    bool moveTowardsRangeBase(bool fromOwn, int32_t duration);
    void placeLinkedFrame(int32_t frame, int32_t x, int32_t y, int32_t v);
    void resetLinkedTarget();
    void resetLinkedPosition();
    void setParam18(int32_t fallback, int32_t value);
    int32_t getFlagOrDefault(int32_t fallback, int32_t value);
    int32_t checkUnlocked(int32_t fallback);
    int32_t getBaseType();
    int32_t getBaseDistance();

    // ---- directions, ballistic motion, pulses and the player's animation offsets ----
    static int32_t oppositeDirectionOrSame(int32_t d);
    static int32_t directionIndex(int32_t d);
    static int32_t facingOffsetX(int32_t d);
    static int32_t negatedItemOffsetX(int32_t v);
    static int32_t negatedItemOffsetY(int32_t v);
    // This is the player: the direction from its item point to the other object's centre.
    int32_t directionToObject(CObject* other);
    static int32_t getAnimForDirection(int32_t k, CObject* o);
    static void startArc();
    static void startFall();
    static void startShortFall();
    static void integrateVelocity();
    static void updatePulse(int32_t t);
    static int32_t stateAnimOffset9(int32_t base, int32_t p);
    static int32_t stateAnimOffset21(int32_t base, int32_t p);
    static int32_t stateAnimOffset25(int32_t base, int32_t p);

    // ---- actor animation: restarts, selectors, end-of-animation chains, barriers, switches ----
    // Restart on n: animation, frame, times, loops -1, ended flag, step +1, last frame.
    static void restartInstance(ASpriteInstance* instance, int32_t n);
    // Nothing when n is the current animation or past the sprite's animations.
    static void guardedRestart(ASpriteInstance* instance, int32_t n);
    void setAnim(int32_t n);
    void setAnimLooped(int32_t n);
    void setAnimIndex(int32_t n);
    void setAnim2();
    void setAnim58();
    void setAnimVariant(int32_t n);
    void setAnimVariant6();
    void setAnim12();
    void setAnim17();
    void setAnim20();
    void setAnim7();
    void setAnimVariant9();
    void setAnimVariant15();
    void setAnimVariant19();
    void setAnimTo12();
    void setAnimTo17();
    void setAnim0();
    void setAnim14Or16();
    void setAnim76();
    void restartAnim();
    void setAnimFacing(int32_t base);
    void setAnimFacing1();
    void setAnimFacing0();
    void setAnimOffset(int32_t state, int32_t base);
    void setAnimOffsetB(int32_t state, int32_t base);
    void setStateIfChanged(int32_t state, int32_t base);
    void setSpriteEntry3();
    void placeLinked(int32_t base, int32_t offset, int32_t x, int32_t y, int32_t side);
    void placeLinkedAnim(int32_t base, int32_t offset, int32_t side);
    void faceLeftAnim();
    void faceRightAnim();
    void setActorAnim(int32_t record);
    static void selectAnimByState(CObject* o, int32_t offset);
    static void setAnimForDirection(CObject* o, int32_t base);
    static void animForDirection();
    static int32_t showDirectionEffect(int32_t bits);
    static void linkedCheck(CObject* o);
    void onStateAnim();
    void ifAnim14();
    void ifAnim17();
    void ifAnim18();
    void finishOnce();
    static void updateLinkedEffect();
    static bool isFrameEmpty(CObject* o);
    void syncInstance();
    static void updateAnimOnce(ASpriteInstance* instance);
    static void setFrameByPercent(ASpriteInstance* instance, int32_t percent);
    static void animateUnlessPhase(CObject* o);
    static void updateGroup(ObjectArray* list);
    void setBarrierMode(int32_t m);
    void updateBarrierMode();
    void hitBarrier(int32_t damage, int32_t unused, int32_t kind);
    void clearGridUnderBarrier();
    void setSwitchPhase(int32_t p);
    void setPlatePhase(int32_t p);
    void setState2();
    void setState2B();
    void setSwitchPressed();
    void stopParamTimer();
    void setPlateDown();
    void setPlateUp();
    void updateBlockedPhase();
    void onHit(int32_t kind);
    void restoreActorAnim();
    void restoreActorAnimB();
    void updateFlags();

    // ---- the player's animation, facing and speeds ----
    static void selectAnimation(ASpriteInstance* instance, int32_t offset);
    static void selectAnimationAuto(ASpriteInstance* instance) { selectAnimation(instance, -1); }
    static int32_t setPlayerAnimFromPair(CObject* o, int32_t n, int32_t loops);
    static int32_t itemAnimBase(int32_t base, int32_t kind, int32_t d);
    // Item offsets into the second sprite's numbering and the overlay bases, by item.
    static int32_t itemNumberOffset(int32_t item);
    static int32_t itemOverlayBase(int32_t item);
    static void setInput(int32_t direction);
    static void restartTimer(CObject* o, int32_t direction);
    static void turnPlayer(int32_t kind, CObject* o);
    static void setJumpSpeeds();
    static void setTargetSpeed(ASpriteInstance* instance, CObject* target, int32_t id);
    static int32_t clampPlayerStep(CObject* o, int32_t a, int32_t b, int32_t step);

    // ---- object state changes, animation by mode and random choices ----
    void startDeath();
    void startScriptedFrame();
    void setAnimFromState(int32_t m);
    void lastFrameA();
    void lastFrameB();
    void lastFrameC();
    int32_t chooseRandomAction();
    void detachFromTable();
    void setPaintEffectParams(int32_t a, int32_t b);

    // ---- movement toward targets ----
    void moveTowards(int32_t x, int32_t y, int32_t i, int32_t j, int32_t flags);
    void moveToPoint(int32_t x, int32_t y, int32_t flags);
    void stepAlongVelocity(int32_t speed);
    void clearTargetAndStep(int32_t speed);
    void setTargetInfo(int32_t x, int32_t y, int32_t d2);
    void orbitTarget(int32_t x, int32_t y, int32_t speed, int32_t d2);
    void aimAlongAxisAtPlayer();
    void startStepInFacing();
    void aimBetweenPoints();
    bool isNearView();
    bool isWithinTouchRadius(CObject* other, int32_t a, int32_t b, int32_t c);
    bool isWithinReach(CObject* other, int32_t a, int32_t b);
    int32_t directionTo(CObject* other, int32_t kind, int32_t x, int32_t y);
    void setFrameByProgress(int32_t total, int32_t done);
    CObject* findNearType80();
    int32_t moveWithCollision(int32_t offsetX, int32_t offsetY, int32_t w, int32_t h, int32_t direction,
                              int32_t mask, int32_t flag);
    void moveOnTouch(int32_t x, int32_t y);
    void moveTo(int32_t x, int32_t y);
    void sameRowCheck(CObject* other, int32_t x0);
    void updateBehaviour(CObject* target, int32_t mode);
    // Built by later work (game/pending.cpp for now).
    static void onEvent(int32_t event, CObject* o);
    static int32_t clampMoveToBlocked(CObject* o, int32_t offsetX, int32_t offsetY, int32_t w, int32_t h,
                                      int32_t code, int32_t mask, int32_t flag);
    void followPathStep(int32_t x, int32_t y);
    bool canMoveWithBodyBox();
    static int32_t getMoveDirectionCode(CObject* o, CObject* other);

    // ---- layer template slots, member lists and per-kind object tables ----
    static constexpr int32_t kLayerKeys = 110;   // template keys 0-109
    static constexpr int32_t kLayerGroups = 20;  // group keys 0-19
    static constexpr int32_t kLayerMembers = 25;
    static constexpr int32_t kKindRowLength = 30;
    static constexpr int32_t kUnsharedSlot = 255;
    static constexpr int32_t kOtherEventBits = 0x5D3E;
    static void assignKindSlots(ObjectArray* layers);
    static Object* lookupKeyedValue(int32_t k);
    static int32_t indexOfKey(int32_t k);
    static int32_t countKeysExcept(int32_t a, int32_t b);
    ObjectArray* getLayerGrid();
    int32_t getLayerWidth();
    int32_t getLayerHeight();
    static void removeMemberById(int32_t id, int32_t k);
    static void removeFromOwnList(CObject* o, CObject* layer);
    static bool anyUsesKind(ObjectArray* list, int32_t n, int32_t b, int32_t a, int32_t k);
    static int32_t nextDistinctGroup(int32_t b, ObjectArray* list, int32_t start, int32_t a);
    void sealLinkedLayers();
    static void allocTypeLists();
    void clearKindRows();
    int32_t countKindEntries();
    int32_t countNeighbours();
    static int32_t findFreeInPool15();
    void setSlotValue(int32_t i, int32_t t);
    static void patchRecord(ByteArray* data, int32_t kind, int32_t offset, ObjectArray* listA, ObjectArray* listB);
    void consumeEventFlags(int32_t mask);

    // ---- group tables: free slots, the strength test and ready members ----
    static int32_t addToGroupSlot(CObject* o, CObject* owner);
    static int32_t addToGroupUnique(CObject* o, CObject* owner);
    static bool isFinishedByAction(CObject* o);
    static CObject* findLastFinishable(CObject* o);
    static CObject* findReadyGroupMember(CObject* o);

    // ---- interaction entries, falls, carrying, layer areas, loot, charge and setters ----
    // Takes the first entry of interaction group g that has room for o (below o's current entry
    // when it holds one); 1 when one was taken, else 0.
    static int32_t findAndOccupySlot(int32_t group, CObject* o, CObject* other);
    // Frees o's old entry and route, then takes entry j of group g.
    static void occupySlot(int32_t group, int32_t entry, CObject* o);
    void releaseSlots();
    // Once a frame while falling: 140 pixels per second in steps of at most 16, each tested.
    void fallStep();
    void moveCarried(int32_t dx, int32_t dy);
    // Carries the members of the object's hit table that are neither destroyed nor removed.
    void moveRiders(int32_t dx, int32_t dy);
    // Keeps params[44] on the layer object whose area holds the object's box.
    void checkAreaTrigger();
    void dropLoot(bool doubled);
    void takeHit(int32_t amount, CObject* source, int32_t kind);
    // Charging states 0 idle, 1 charging, 2 full; commands 0 pay out, 1 start, 2 full. Always 1.
    int32_t setChargeState(int32_t command, CObject* o);
    void dropByCharge(CObject* o);
    static void emitAtAngle(ASpriteInstance* instance, int32_t kind, int32_t angle);
    void setStateA(int32_t mode);
    void setModeB(int32_t mode);
    void activate(int32_t a, int32_t b, int32_t c);
    void startPath(int32_t path);

    // ---- grabbing and holding a type-5 object ----
    // 1 when the player grabbed the first faced, free object of the list whose box meets the
    // player's box widened by 32 pixels.
    static int32_t tryGrabObject(CObject* player, ObjectArray* list, int32_t count);
    // Holds the last frame while sub-state 4's animation has ended; otherwise lets go.
    static void updateInMode4(CObject* player);

    // Built by later work (game/pending.cpp for now).
    static void fallCheck(CObject* o, int32_t oldX, int32_t oldY);
    static void fallCheckSwim(CObject* o, int32_t oldX, int32_t oldY);
    static void findFreeCellAround(CObject* o, int32_t halfWidth, int32_t halfHeight, int32_t w, int32_t h,
                                   int32_t mask);
    static bool isFacing(CObject* o, CObject* other);
    // True when o faces a member of its group of type key (scanned from the last member down).
    static bool getNextFrameIndex(CObject* o, int32_t key);
    static void positionRelativeTo(CObject* o, CObject* other, int32_t mode, int32_t value);
    static void detach(CObject* o);
    void reappear();
    void clearTimers();

    // ---- part paths from the sprite, frame rectangles and painting aids ----
    static constexpr int32_t kEffectInstanceSprite = 35;
    // Per animation and part, the part's position at each anim-frame and its speed toward the
    // next one, in the range entries from params[69] on.
    void buildPartPaths();
    // Rectangle record k of the current anim-frame as (x, y, w, h) in the sprite's shared rectangle.
    IntArray* getFrameRectRecord(int32_t k);
    static void paintColourRect(javax_microedition_lcdui_Graphics* g, IntArray* record, int32_t x, int32_t y);
    // Places the instance for the camera and its layer, sets remap and palette by type and paints
    // the object by its type; the placement is undone whichever painter ran.
    void drawByKind(javax_microedition_lcdui_Graphics* g, bool layered);

    // ---- factories of objects with grown params, of an owner's parts and children ----
    // Inline creation: fields zeroed, an instance without sprite at (0, 0), no start animation.
    static CObject* newBare(int32_t id, int32_t type, IntArray* params);
    static CObject* newWithFourExtraParams(int32_t id, int32_t type, int32_t x, int32_t y, IntArray* params);
    static CObject* newWithOneExtraParam(int32_t id, int32_t type, int32_t x, int32_t y, IntArray* params);
    CObject* createPartsA(int32_t value);
    CObject* createPartsB(int32_t value);
    CObject* createPartsC(int32_t value);
    // 19 type-50 children at objects[firstIndex...], each after the range entries it owns.
    void createChildren(IntArray* counts, ObjectArray* objects, int32_t firstIndex, int32_t firstRange);
    // Built by later work (game/pending.cpp for now).
    static int32_t parseActionData(CObject* o, int32_t kind, ByteArray* data, int32_t offset);
    static void applyPathSegment(CObject* o);

    // ---- gauges, refill schedules, power values and the object's timers ----

    // Adds delta to gauge kind 0-2; true when the value hit a bound (kind 1 overflows into params[20]).
    static bool addToGauge(CObject* o, int32_t kind, int32_t delta);
    // Sets gauge kind to value, clamped or carried as addToGauge does; restarts the HUD gauge timer.
    static bool setGauge(CObject* o, int32_t kind, int32_t value);
    // The 500-ms step of the three refill schedules; full gauges drop their schedule.
    static void stepRefillSchedule();
    // The refill display of a type 0 (health) or 1 (gauge 2) object: rate over the animation's time.
    static void startRefillDisplay(CObject* o);
    static int32_t getTypeProperty(CObject* o);
    // An action record's rectangle (pixels) for an actor at pixel (x, y) with anchor offset
    // (ox, oy) and a facing; all zero for a facing that is not one of the four.
    struct ActionRect {
        int32_t x, y, w, h;
    };
    static ActionRect placeActionRect(int32_t x, int32_t y, int32_t ox, int32_t oy, ShortArray* record,
                                      int32_t facing);
    // Starts player action kind k (-1: none): the combo window, the key reset and the sound cue.
    static void startAction(int32_t k);
    // Stops the timers params[28], [29], [35], [47] and frees the route slot params[48].
    void releaseTimers();
    // Draw-order keys of the player (its facing tile) and of type-69 objects.
    int32_t getFacingTile();
    int32_t getDrawOrderKey();
    // The load script of the object (built by later work); and of every object of a mode.
    static int32_t runScript(Object* loader, int32_t mode, int32_t count, ObjectArray* list, CObject* o);
    static int32_t runScriptList(Object* loader, int32_t mode, int32_t count, ObjectArray* list, ObjectArray* objects);
    // Types 1 and 15, once a frame: the type-15 scroll, the switched object's timed state.
    static void updateCycleAndTimer(int32_t type, IntArray* params);

    // Stops the level timer.
    static void clearSlot();
    static bool isLevelTimerElapsed(int32_t ms);
    // -1 without a level timer.
    static int32_t getLevelTimerElapsed();
    // True while the platform is on screen; otherwise frees the particle entry params[7].
    static bool releaseEmitterUnlessLanding(CObject* o);
    // Fixed-argument forms.
    static void placeLinkedFrame4(CObject* o, int32_t a, int32_t b, int32_t c) { o->placeLinkedFrame(a, b, c, 4); }
    static void setProperty72Default(CObject* o, int32_t v) { o->setParam18(v, -1); }
    // The moving object's progress step (thirds of params[14]); more than 6 on, it wanders.
    static void updateProgressStep(CObject* o);
    // Built by later work (game/pending.cpp for now).
    static void randomWander(CObject* o, int32_t property);


    // ---- references, timers and placement values of objects ----
    // The power of an object's hit (the player's: its item's action record n, upgraded).
    static int32_t getProperty(CObject* o, int32_t n);
    static void releaseSlot(CObject* o);
    static void releasePopupSlot();
    // An enabled timed record (params[0] 1) gets its timer in params[7], its period in params[8]
    // and, with params[5] 1, its message popup in params[9]; a disabled one lets both go.
    void initTimers();
    static void pauseObjectTimers(CObject* o);
    static void resumeObjectTimers(CObject* o);
    static void updatePosition(CObject* o);
    static void computeLinkOffset(CObject* o);
    static void resolveListIds(ObjectArray* list);
    // The first of the first count entries of list that is a type-5 object the object faces
    // with the player's input set to direction for the test.
    static bool hasFacingTarget(CObject* o, int32_t direction, ObjectArray* list, int32_t count);
    static CObject* findObjectInView(int32_t a, int32_t b, bool flag);
    static void setMode2(CObject* o);
    static void setMode3(CObject* o);
    static void updateLinkedTable(CObject* o);
    // The held object's swing toward the target its range factor sets.
    static void updateHeld(CObject* o);
    // The HUD's gauge display brought forward (a gauge changed).
    static void refreshGaugeDisplay();

    // ---- action areas, attacks and the player's item actions ----
    static bool testActionArea(CObject* actor, CObject* target, int32_t action, int32_t mode);
    static bool testPlayerActionArea(CObject* o, ObjectArray* list, int32_t count, int32_t action);
    // 1 with the chosen action in params[42], or 0 when no action area touches the target.
    int32_t chooseAttack(CObject* target, int32_t mode);
    static int32_t attackCheck(CObject* actor, CObject* target, int32_t mode);
    static void reactToHit(CObject* o, CObject* pushed, ObjectArray* list, int32_t count);
    static bool tryPullBack(CObject* o, ObjectArray* list, int32_t count);
    static int32_t useItemOnTarget(CObject* o, ObjectArray* list, int32_t count, int32_t mode);
    static int32_t moveWithSideStep(CObject* o, ObjectArray* list, int32_t count, int32_t mode);
    static void finishPlayerAction(CObject* o, ObjectArray* list, int32_t count, bool flag, int32_t mode,
                                   int32_t kind);
    static void die(CObject* o, ObjectArray* list, int32_t count, bool flag);
    static void advanceStep(CObject* o);
    // Built by later work (game/pending.cpp for now).
    static int32_t resolveContact(CObject* actor, CObject* target, ObjectArray* list, int32_t countOrMode, int32_t x,
                                  int32_t y, int32_t w, int32_t h, int32_t isPlayer);
    static int32_t onHitBy(CObject* o, CObject* other, int32_t mode, int32_t direction);
    static int32_t resolveHitFromFront(CObject* o, CObject* other);
    static void remove(CObject* o);
    static void releaseGroupMembers(CObject* o);
    static int32_t getRangeFactor(CObject* o);
    static void resolveObjectIdParam(IntArray* params);
    static void resolveEntryIdParam(IntArray* params);

    // ---- per-kind painters (into the Graphics given; positions are the instances'; drawByKind
    // above dispatches to them) ----
    // Effect instance i placed on this object's kind rectangle at (x, y) and painted; -1 once its
    // animation has ended (painted that last time), else i.
    int32_t paintPart(int32_t i, int32_t x, int32_t y, javax_microedition_lcdui_Graphics* g);
    static void paintInstance(javax_microedition_lcdui_Graphics* g, CObject* o);
    static void paintKind80(javax_microedition_lcdui_Graphics* g, CObject* o);
    static void paintKind81(javax_microedition_lcdui_Graphics* g, CObject* o);
    static void paintKind86(javax_microedition_lcdui_Graphics* g, CObject* o);
    static void paintKind87(javax_microedition_lcdui_Graphics* g, CObject* o);
    static void paintKind88(javax_microedition_lcdui_Graphics* g, CObject* o);
    static void paintKind69(javax_microedition_lcdui_Graphics* g, CObject* o);
    static void paintWithAttachments(javax_microedition_lcdui_Graphics* g, CObject* o, int32_t anim);
    static void paintRepeatedToScreenEdge(javax_microedition_lcdui_Graphics* g, ASpriteInstance* i, IntArray* p);
    static void paintKind61(javax_microedition_lcdui_Graphics* g, ASpriteInstance* i, IntArray* p);
    static void paintKind300(javax_microedition_lcdui_Graphics* g, ASpriteInstance* i, IntArray* p);
    static void paintKind302(javax_microedition_lcdui_Graphics* g, ASpriteInstance* i, IntArray* p);
    static void paintKind306Effects(javax_microedition_lcdui_Graphics* g, ASpriteInstance* i, IntArray* p);
    static void paintEmitterParticles(javax_microedition_lcdui_Graphics* g, ASpriteInstance* i, IntArray* p);
    static void paintKind50(javax_microedition_lcdui_Graphics* g, ASpriteInstance* i, IntArray* p);
    // ---- group signals and the small per-object operations of the passes over the view ----
    // The mapped event (0 as 7, 10 as 11) to this object; other events are not delivered.
    void signalEvent(int32_t event);
    void signalEvent9();
    // The instance's box into params[5..8]; the instance restarted on its type record's animation.
    void storeSpriteRect();
    // A random horizontal start offset from -20 pixels to the width - 21 (params[24]).
    void randomizeOffset();

    // The type-16 pick-up's step: its animation, and its collection by the player's lower two
    // thirds (gameplay sub-step 0 only).
    void updateTouchTrigger();
    // The player's probe of the column before it: the cell test's answer, or the link with the
    // first object in view there; 0 when an object is held or nothing is found.
    int32_t probeFront();

    // Built by later work (game/pending.cpp for now).
    static void paintByKind80To88(javax_microedition_lcdui_Graphics* g, CObject* o);
    void paintWithShadow(javax_microedition_lcdui_Graphics* g);
    void paintByType(javax_microedition_lcdui_Graphics* g);
    void paintFrameAndCheckRegion(javax_microedition_lcdui_Graphics* g, int32_t frame, int32_t x, int32_t y,
                                  int32_t flag);
    bool updatePlayerAttachment();
    static bool canMoveTo(CObject* o, int32_t offsetX, int32_t offsetY, int32_t w, int32_t h, int32_t mask);
    static void findNearestInView(CObject* o);

    // The static initialiser.
    static void clinit();
};

namespace mrc {
// Registers CObject's statics, its initialiser, its class factory and the framework's
// object-instance hook, with the game's blocks of object lists, tables and saves; idempotent.
void registerObjectClasses();
}  // namespace mrc
