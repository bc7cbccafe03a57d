// The game's numbered timers, all measured against one frame clock so that every test within a
// frame sees the same time. An entry holds the clock time of its last (re)start, -1 when free,
// or minus its elapsed time while paused (never above -3, so that a paused timer cannot be
// mistaken for a free one). GameBase derives from this class, so these keep their names on Game
// (`Game::timerAlloc`). An id outside the table counts as a timer that is not set. Game thread
// only.
#pragma once

#include <atomic>
#include <cstdint>

#include "runtime/core/object.h"

class Long64Array;

class GameTimers {
public:
    static constexpr int32_t kTimerCount = 230;
    static constexpr int64_t kFree = -1;
    static constexpr int64_t kMinPaused = 3;

    struct TimerStatics {
        Long64Array* timerTable;
        // The frame clock: the tick count at the start of the frame. Written by the frame on the game
        // thread, read also by the canvas's hideNotify, which pauses the timers on the UI thread.
        std::atomic<int64_t> gameTime;
        MRC_REF_FIELDS(&TimerStatics::timerTable);
    };
    static TimerStatics timerStatics;

    // The frame clock takes the tick count (upper word 0); the frame calls this first.
    static void updateGameTime();

    // A new table of extra + 230 free entries.
    static void initTimers(int32_t extra);
    static void resetTimers();
    // The lowest free entry, started now; -1 (traced) when every entry is taken.
    static int32_t timerAlloc();
    static bool isTimerSet(int32_t id);
    // Set and paused.
    static bool isTimerBelowMinusTwo(int32_t id);
    // A set timer (paused or not) runs again from now.
    static void restartTimer(int32_t id);
    static void stopTimer(int32_t id);
    // 0 when not set; while paused, the time it had run when paused.
    static int32_t getTimerElapsed(int32_t id);
    // True for a timer not set; false while paused; otherwise whether `duration` has passed since
    // its start, restarting it from now when it has.
    static bool isTimerElapsed(int32_t id, int32_t duration);
    static void pauseTimer(int32_t id);
    // Runs on from the elapsed time it had when paused.
    static void resumeTimer(int32_t id);
    static void pauseAllTimers();
    static void resumeAllTimers();

private:
    // The entry's address, or null for an id outside the table.
    static int64_t* timerEntry(int32_t id);
};
