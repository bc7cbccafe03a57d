// QXLibPlayer: the sound-channel layer beside the sound manager. Each channel has a ring of
// seven commands that the update pass drains, so a request never blocks its caller and repeated
// requests collapse. The shipped game never allocates the channel tables, so every queue and
// update operation returns at its first test; initialise() brings the layer to life for a game
// that wants it.
#pragma once

#include <cstdint>

#include "runtime/core/arrays.h"
#include "runtime/core/class_ids.h"
#include "runtime/core/object.h"
#include "runtime/lang/runnable.h"

class java_lang_Thread;

// The object form is only the channel thread's Runnable (and the lock of its rings); the layer
// itself is static.
class QXLibPlayer : public Object, public java_lang_Runnable {
public:
    MRC_CLASS(QXLibPlayer, Object);
    void* getInterface(int32_t interfaceId) override;
    void run() override { sndThreadLoop(); }
    static constexpr int32_t kRingSize = 7;
    static constexpr int32_t kCommandInts = 5;

    enum Code : int32_t { Cancelled = 0, Prepare = 1, Release = 2, Play = 3, Stop = 4, Pause = 5, Resume = 6 };
    enum ChannelState : int32_t { Idle = 0, Prepared = 1, Playing = 2, Paused = 3 };

    struct Statics {
        int32_t ticksPerSecond;
        int32_t channelCount;
        bool initialised;
        ObjectArray* soundData;      // byte[] per sound
        IntArray* soundTypeText;     // per sound: 0 WAVE, 1 MIDI, 2 Ogg, 3 other
        IntArray* soundLength;       // per sound, in ticks
        ObjectArray* players;        // per channel
        IntArray* priorityTable;     // per sound
        Long64Array* startTime;      // per channel
        IntArray* channelSound;
        IntArray* channelPriority;
        IntArray* channelField3;
        IntArray* channelField4;
        IntArray* channelState;
        Object* soundThread;
        IntArray* commandQueue;  // channels x 7 x 5
        IntArray* queueHead;
        IntArray* queueCount;
        int8_t tickCounter;
        int32_t tickLimit;
        MRC_REF_FIELDS(&Statics::soundData, &Statics::soundTypeText, &Statics::soundLength, &Statics::players,
                       &Statics::priorityTable, &Statics::startTime, &Statics::channelSound,
                       &Statics::channelPriority, &Statics::channelField3, &Statics::channelField4,
                       &Statics::channelState, &Statics::soundThread, &Statics::commandQueue, &Statics::queueHead,
                       &Statics::queueCount);
    };
    static Statics statics;

    // The start-up values from the configuration (the static initialiser).
    static void clinit();
    static void resetTiming();
    // Allocates the tables for `soundCount` sounds and sets `initialised`; nothing in the shipped
    // game calls it.
    static bool initialise(int32_t soundCount);
    // Creates the channel thread (not started: stopCurrentPlayer starts it, as the threaded
    // configuration asks); nothing in the shipped game calls it. While it exists the rings are
    // changed under its Runnable's monitor. False when the heap is exhausted.
    static bool createSoundThread();
    // Lets the channel thread's loop end after its current pass; the thread, or null. Join it
    // before touching the channels again: without the thread the rings are not locked.
    static java_lang_Thread* endSoundThread();
    // The channel thread's body: while soundThread exists, an update pass, then a sleep of one
    // tick (1000 / ticksPerSecond ms).
    static void sndThreadLoop();

    // ---- queueing (QXLib's entry points) ----

    static void sndQueueCommand(int32_t channel, int32_t code, int32_t a, int32_t b, int32_t c, int32_t d);
    static void sndQueue(int32_t channel, int32_t code);
    static void sndStopChannel(int32_t channel);
    // `gamePaused` is QXLib.paused.
    static void stopAllSoundChannels(bool gamePaused);
    static void stopCurrentPlayer();
    static void sndTick(bool gamePaused);
    static void sndUpdate();

    // ---- the actions of codes 1 to 6 ----

    static void sndPrepare(int32_t channel);
    static void stopSound(int32_t channel);  // release (code 2)
    static void sndPlay(int32_t channel);
    static void sndStopPlayer(int32_t channel);
    static void sndPause(int32_t channel);
    static void sndResume(int32_t channel);
    static bool isSoundPlaying(int32_t channel);

    // ---- the rings ----

    static int32_t getQueuedCommand(int32_t channel, int32_t field);
    static void advanceQueue(int32_t channel);
    static int32_t getChannel(int32_t channel);
    static int32_t ringIndex(int32_t i);
    static int32_t slotBase(int32_t channel, int32_t r);

    // The tick count the start times are measured in.
    static int64_t ticks();

private:
    static bool validChannel(int32_t channel);
    static void drainChannels();
};
