#include "framework/core/game_timers.h"

#include <algorithm>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"

GameTimers::TimerStatics GameTimers::timerStatics;

namespace {

bool isPaused(int64_t entry) { return entry < -2; }

}  // namespace

void GameTimers::updateGameTime() { timerStatics.gameTime = static_cast<int64_t>(host::tickCount()); }

int64_t* GameTimers::timerEntry(int32_t id) {
    Long64Array* table = timerStatics.timerTable;
    if (isNull(table) || !table->data || id < 0 || id >= table->length) return nullptr;
    return table->elements() + id;
}

void GameTimers::initTimers(int32_t extra) {
    timerStatics.timerTable =
        mrc::ApplicationImpl::getApplication()->objectManager->newLongArray(extra + kTimerCount);
    resetTimers();
}

void GameTimers::resetTimers() {
    Long64Array* table = timerStatics.timerTable;
    if (isNull(table) || !table->data) return;
    std::fill_n(table->elements(), table->length, kFree);
}

int32_t GameTimers::timerAlloc() {
    Long64Array* table = timerStatics.timerTable;
    int32_t n = isNull(table) || !table->data ? 0 : table->length;
    for (int32_t id = 0; id < n; ++id) {
        int64_t& entry = table->elements()[id];
        if (entry == kFree) {
            entry = timerStatics.gameTime;
            return id;
        }
    }
    mrc_log("Game::timerAlloc: no free timer among %d", n);
    return -1;
}

bool GameTimers::isTimerSet(int32_t id) {
    int64_t* entry = timerEntry(id);
    return entry && *entry != kFree;
}

bool GameTimers::isTimerBelowMinusTwo(int32_t id) {
    int64_t* entry = timerEntry(id);
    return entry && *entry != kFree && isPaused(*entry);
}

void GameTimers::restartTimer(int32_t id) {
    int64_t* entry = timerEntry(id);
    if (entry && *entry != kFree) *entry = timerStatics.gameTime;
}

void GameTimers::stopTimer(int32_t id) {
    if (int64_t* entry = timerEntry(id)) *entry = kFree;
}

int32_t GameTimers::getTimerElapsed(int32_t id) {
    int64_t* entry = timerEntry(id);
    if (!entry || *entry == kFree) return 0;
    int64_t elapsed = isPaused(*entry) ? -*entry : timerStatics.gameTime - *entry;
    return static_cast<int32_t>(static_cast<uint64_t>(elapsed));
}

bool GameTimers::isTimerElapsed(int32_t id, int32_t duration) {
    int64_t* entry = timerEntry(id);
    if (!entry || *entry == kFree) return true;
    if (isPaused(*entry)) return false;
    if (timerStatics.gameTime - *entry - duration < 0) return false;
    *entry = timerStatics.gameTime;
    return true;
}

void GameTimers::pauseTimer(int32_t id) {
    int64_t* entry = timerEntry(id);
    if (!entry || *entry == kFree || isPaused(*entry)) return;
    int32_t elapsed = getTimerElapsed(id);
    *entry = -static_cast<int64_t>(std::max(elapsed, static_cast<int32_t>(kMinPaused)));
}

void GameTimers::resumeTimer(int32_t id) {
    int64_t* entry = timerEntry(id);
    if (!entry || *entry == kFree || !isPaused(*entry)) return;
    *entry += timerStatics.gameTime;
}

void GameTimers::pauseAllTimers() {
    Long64Array* table = timerStatics.timerTable;
    int32_t n = isNull(table) ? 0 : table->length;
    for (int32_t id = 0; id < n; ++id) pauseTimer(id);
}

void GameTimers::resumeAllTimers() {
    Long64Array* table = timerStatics.timerTable;
    int32_t n = isNull(table) ? 0 : table->length;
    for (int32_t id = 0; id < n; ++id) resumeTimer(id);
}
