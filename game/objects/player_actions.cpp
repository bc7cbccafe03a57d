// The start of a player action: the combo window, the key reset of a push and the sound cue.
#include "framework/core/game_math.h"
#include "framework/core/game_overlay.h"
#include "framework/core/qxlib.h"
#include "game/flow/game.h"
#include "game/objects/cobject.h"

namespace {

constexpr int32_t kComboWindowMs = 500;

// The event of item 3's swing: one of two by a random bit.
int32_t swingEvent() { return 30 + (GameMath::random() & 1); }

}  // namespace

void CObject::startAction(int32_t k) {
    Statics& s = statics;
    CObject* player = Game::objects.s_player;
    const int32_t item = Game::objects.s_currentItem;
    if (k == 0) {
        if (Game::isTimerElapsed(s.s_comboTimer, kComboWindowMs)) s.s_comboLevel = 0;
    } else if (k == 1) {
        if (s.s_itemSequence != 1) QXLib::resetKeys(0);
        if (item == 3) addToGauge(player, 2, -(12 << 14));
    } else if (k == 8) {
        startShortFall();
    }
    if (k != -1) s.s_lastActionKind = k;
    s.s_actionPhase = 0;
    s.s_itemSequence = k;

    if (k == -1 || Game::isKeyFlag(11) || Game::isKeyFlag(98)) return;
    const int32_t eventA = item == 4 ? 27 : item == 1 ? 29 : 11;
    const int32_t eventB = item == 4 ? 26 : item == 1 ? 28 : 12;
    if (isNull(player) || player->countNeighbours() <= 0) {
        if (item == 3 && (k == 1 || k == 7)) Game::playSoundForEvent(swingEvent());
        else Game::requestEffectSound(5);
        return;
    }
    if (Game::isKeyFlag(0) || k > 8) return;
    int32_t event = -1;
    switch (k) {
        case 0: event = s.s_comboLevel == 2 ? eventB : 10; break;
        case 1: event = item == 3 ? swingEvent() : eventA; break;
        case 2: event = eventA; break;
        case 3:
        case 8: event = eventB; break;
        case 5: event = 10; break;
        case 7: event = item == 3 ? swingEvent() : 10; break;
        default: break;  // 4 and 6 are silent
    }
    if (event >= 0) Game::playSoundForEvent(event);
}
