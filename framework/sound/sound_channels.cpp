#include "framework/sound/sound_channels.h"

#include "framework/config/qxlib_config.h"
#include "framework/sound/sound_manager.h"
#include "framework/sound/sound_support.h"
#include "host/core/clock.h"
#include "host/core/log.h"
#include "platform/media/manager.h"
#include "platform/media/player.h"
#include "runtime/core/synchronized.h"
#include "runtime/io/byte_array_input_stream.h"
#include "runtime/lang/string.h"
#include "runtime/lang/thread.h"

#include <atomic>
#include <optional>

QXLibPlayer::Statics QXLibPlayer::statics;

using mrc::sound::callFailed;
using mrc::sound::objects;
using Player = javax_microedition_media_Player;

namespace {

QXLibPlayer::Statics& S() { return QXLibPlayer::statics; }
bool soundOn() { return QXLibConfig::statics.SOUND_ENABLED != 0; }
bool threaded() { return QXLibConfig::statics.SOUND_THREADED != 0; }
bool minimumInterval() { return QXLibConfig::statics.SOUND_OPTION_45 != 0; }

void assertFailed(const char* message) { mrc_log("QXLibPlayer: assertion failed: %s", message); }

Player* channelPlayer(int32_t channel) {
    return isNull(S().players) ? nullptr : mrc::media::playerOf(S().players->elements()[channel]);
}

const char* typeText(int32_t id) {
    static const char* const types[] = {WM_JSound::kWaveType, WM_JSound::kMidiType, WM_JSound::kOggType,
                                        WM_JSound::kOtherType};
    return id >= 0 && id < 4 ? types[id] : WM_JSound::kOtherType;
}

// The channel thread reads soundThread while the game thread may end it.
std::atomic_ref<Object*> soundThreadRef() { return std::atomic_ref<Object*>(S().soundThread); }

java_lang_Thread* soundThread() {
    Object* thread = soundThreadRef().load(std::memory_order_acquire);
    return isNull(thread) ? nullptr : static_cast<java_lang_Thread*>(thread);
}

// The rings' lock while the channel thread exists (the thread's Runnable); none otherwise, as
// then only the game thread touches them.
class RingLock {
public:
    RingLock() {
        if (java_lang_Thread* t = soundThread(); t && !isNull(t->target)) m_lock.emplace(t->target);
    }

private:
    std::optional<mrc::Synchronized> m_lock;
};

}  // namespace

void* QXLibPlayer::getInterface(int32_t interfaceId) {
    if (interfaceId == mrc::kClass_java_lang_Runnable) return static_cast<java_lang_Runnable*>(this);
    return Object::getInterface(interfaceId);
}

bool QXLibPlayer::createSoundThread() {
    if (soundThread()) return true;
    auto* body = mrc::newObject<QXLibPlayer>();
    if (!body) return false;
    java_lang_Thread* thread = mrc::newThread(body);
    if (!thread) return false;
    soundThreadRef().store(thread, std::memory_order_release);
    return true;
}

java_lang_Thread* QXLibPlayer::endSoundThread() {
    java_lang_Thread* thread = soundThread();
    soundThreadRef().store(nullptr, std::memory_order_release);
    return thread;
}

void QXLibPlayer::sndThreadLoop() {
    while (soundThread()) {
        sndUpdate();
        int32_t rate = S().ticksPerSecond;
        java_lang_Thread::sleep(1000 / (rate > 0 ? rate : 1));
    }
}

void QXLibPlayer::resetTiming() {
    int32_t frame = QXLibConfig::statics.FRAME_TIME_MS;
    S().ticksPerSecond = frame > 0 ? 1000 / frame : 0;
    S().channelCount = QXLibConfig::statics.SOUND_CHANNELS;
    S().tickLimit = QXLibConfig::statics.SOUND_TICK_LIMIT;
    S().tickCounter = 0;
}

void QXLibPlayer::clinit() { resetTiming(); }

bool QXLibPlayer::initialise(int32_t soundCount) {
    int32_t channels = S().channelCount;
    if (channels < 1 || soundCount < 1) return false;
    mrc::ObjectManager* om = objects();
    S().soundData = om->newObjectArray(mrc::kClass_ByteArray, soundCount);
    S().soundTypeText = om->newIntArray(soundCount);
    S().soundLength = om->newIntArray(soundCount);
    S().priorityTable = om->newIntArray(soundCount);
    S().players = om->newObjectArray(mrc::kClass_Object, channels);
    S().startTime = om->newLongArray(channels);
    S().channelSound = om->newIntArray(channels);
    S().channelPriority = om->newIntArray(channels);
    S().channelField3 = om->newIntArray(channels);
    S().channelField4 = om->newIntArray(channels);
    S().channelState = om->newIntArray(channels);
    S().commandQueue = om->newIntArray(channels * kRingSize * kCommandInts);
    S().queueHead = om->newIntArray(channels);
    S().queueCount = om->newIntArray(channels);
    if (!S().soundData || !S().soundTypeText || !S().soundLength || !S().priorityTable || !S().players ||
        !S().startTime || !S().channelSound || !S().channelPriority || !S().channelField3 || !S().channelField4 ||
        !S().channelState || !S().commandQueue || !S().queueHead || !S().queueCount)
        return false;
    for (int32_t c = 0; c < channels; ++c) S().channelSound->elements()[c] = -1;
    S().initialised = true;
    return true;
}

bool QXLibPlayer::validChannel(int32_t channel) {
    return S().initialised && !isNull(S().queueCount) && channel >= 0 && channel < S().queueCount->length;
}

int32_t QXLibPlayer::ringIndex(int32_t i) {
    int32_t r = i % kRingSize;
    return r < 0 ? r + kRingSize : r;
}

int32_t QXLibPlayer::slotBase(int32_t channel, int32_t r) { return (channel * kRingSize + r) * kCommandInts; }

void QXLibPlayer::sndQueueCommand(int32_t channel, int32_t code, int32_t a, int32_t b, int32_t c, int32_t d) {
    if (!S().initialised) return;
    RingLock lock;
    if (!validChannel(channel)) {
        mrc_log("QXLibPlayer::sndQueueCommand: no channel %d", channel);
        return;
    }
    int32_t head = S().queueHead->elements()[channel];
    int32_t count = S().queueCount->elements()[channel];
    if (count >= kRingSize) {
        // Queueing regardless would overwrite the oldest waiting command and leave a count
        // beyond the ring: the new command is dropped instead.
        assertFailed("sound command queue full");
        return;
    }
    int32_t* q = S().commandQueue->elements();
    for (int32_t i = count - 1; i >= 0; --i) {
        int32_t* cmd = q + slotBase(channel, ringIndex(head + i));
        if (cmd[0] != code) continue;
        if ((code == Prepare || code == Play) && cmd[2] < b) continue;
        cmd[0] = Cancelled;
    }
    int32_t* slot = q + slotBase(channel, ringIndex(head + count));
    slot[0] = code;
    slot[1] = a;
    slot[2] = b;
    slot[3] = c;
    slot[4] = d;
    S().queueCount->elements()[channel] = count + 1;
}

void QXLibPlayer::sndQueue(int32_t channel, int32_t code) { sndQueueCommand(channel, code, -1, -1, -1, -1); }

void QXLibPlayer::sndStopChannel(int32_t channel) {
    if (soundOn()) sndQueue(channel, Stop);
}

void QXLibPlayer::stopAllSoundChannels(bool gamePaused) {
    for (int32_t c = 0; c < S().channelCount; ++c)
        if (soundOn()) sndQueue(c, Stop);
    if (!threaded()) stopCurrentPlayer();
    else if (gamePaused) sndUpdate();
}

void QXLibPlayer::stopCurrentPlayer() {
    if (!threaded()) {
        sndUpdate();
        return;
    }
    // Threaded: the channel thread drains the rings; it is started on first need.
    java_lang_Thread* thread = soundThread();
    if (thread && !java_lang_Thread::isAlive(thread)) thread->start();
}

void QXLibPlayer::sndTick(bool gamePaused) {
    if (threaded() && gamePaused) sndUpdate();
}

int32_t QXLibPlayer::getQueuedCommand(int32_t channel, int32_t field) {
    if (!validChannel(channel) || field < 0 || field >= kCommandInts) return 0;
    return S().commandQueue->elements()[slotBase(channel, ringIndex(S().queueHead->elements()[channel])) + field];
}

void QXLibPlayer::advanceQueue(int32_t channel) {
    if (!validChannel(channel)) return;
    int32_t& head = S().queueHead->elements()[channel];
    head = ringIndex(head + 1);
    --S().queueCount->elements()[channel];
}

int32_t QXLibPlayer::getChannel(int32_t channel) {
    if (!S().initialised || isNull(S().channelSound) || channel < 0 || channel >= S().channelSound->length)
        return -1;
    return S().channelSound->elements()[channel];
}

int64_t QXLibPlayer::ticks() { return host::tickCount64(); }

void QXLibPlayer::sndUpdate() {
    if (!soundOn() || !S().initialised) return;
    RingLock lock;
    drainChannels();
}

void QXLibPlayer::drainChannels() {
    for (int32_t c = 0; c < S().channelCount && validChannel(c); ++c) {
        int32_t& state = S().channelState->elements()[c];
        if (state == Playing && !isSoundPlaying(c)) state = Prepared;
        while (S().queueCount->elements()[c] > 0) {
            int32_t code = getQueuedCommand(c, 0);
            // The command's values are taken before the ring moves on.
            int32_t fields[kCommandInts];
            for (int32_t f = 0; f < kCommandInts; ++f) fields[f] = getQueuedCommand(c, f);
            advanceQueue(c);
            if (code == Prepare || code == Play) S().channelSound->elements()[c] = fields[1];
            switch (code) {
            case Prepare: sndPrepare(c); break;
            case Release: stopSound(c); break;
            case Play:
                S().channelPriority->elements()[c] = fields[2];
                S().channelField3->elements()[c] = fields[3];
                S().channelField4->elements()[c] = fields[4];
                sndPlay(c);
                break;
            case Stop: sndStopPlayer(c); break;
            case Pause: sndPause(c); break;
            case Resume: sndResume(c); break;
            default: break;
            }
        }
    }
}

void QXLibPlayer::sndPrepare(int32_t channel) {
    stopSound(channel);
    int32_t sound = getChannel(channel);
    if (isNull(S().soundData) || sound < 0 || sound >= S().soundData->length) return;
    Object* data = S().soundData->elements()[sound];
    if (isNull(data)) return;
    auto* in = java_io_ByteArrayInputStream::newInstance(static_cast<ByteArray*>(data));
    Object* player = javax_microedition_media_Manager::createPlayer(
        in, mrc::newString(typeText(S().soundTypeText->elements()[sound])));
    Player* p = mrc::media::playerOf(player);
    if (!p) {
        mrc_log("QXLibPlayer: no player for sound %d", sound);
        return;
    }
    S().players->elements()[channel] = player;
    p->realize();
    if (!callFailed()) p->prefetch();
    callFailed();
    S().channelState->elements()[channel] = Prepared;
}

void QXLibPlayer::stopSound(int32_t channel) {
    if (Player* p = channelPlayer(channel)) {
        p->stop();
        p->deallocate();
        p->close();
        callFailed();
    }
    if (!isNull(S().players)) S().players->elements()[channel] = nullptr;
    S().channelState->elements()[channel] = Idle;
}

void QXLibPlayer::sndPlay(int32_t channel) {
    if (!channelPlayer(channel)) sndPrepare(channel);
    Player* p = channelPlayer(channel);
    if (!p) return;
    if (p->getState() == Player::STARTED) p->stop();
    p->setMediaTime(0);
    p->start();
    if (callFailed()) mrc_log("QXLibPlayer: starting channel %d failed", channel);
    S().channelState->elements()[channel] = Playing;
    if (minimumInterval()) S().startTime->elements()[channel] = ticks();
}

void QXLibPlayer::sndStopPlayer(int32_t channel) {
    if (Player* p = channelPlayer(channel)) {
        if (p->getState() == Player::STARTED) p->stop();
        callFailed();
    }
    S().channelState->elements()[channel] = Idle;
}

void QXLibPlayer::sndPause(int32_t channel) {
    Player* p = channelPlayer(channel);
    if (S().channelState->elements()[channel] != Playing) return assertFailed("pausing a channel that does not play");
    if (!p || p->getState() != Player::STARTED) return assertFailed("pausing a player that is not started");
    p->stop();
    callFailed();
    S().channelState->elements()[channel] = Paused;
}

void QXLibPlayer::sndResume(int32_t channel) {
    Player* p = channelPlayer(channel);
    if (!p || S().channelState->elements()[channel] != Paused) return;
    p->start();
    callFailed();
    S().channelState->elements()[channel] = Playing;
}

bool QXLibPlayer::isSoundPlaying(int32_t channel) {
    if (!soundOn() || !S().initialised) return false;
    Player* p = channelPlayer(channel);
    if (!p) return false;
    if (minimumInterval()) {
        int32_t sound = getChannel(channel);
        int64_t length = sound >= 0 && sound < S().soundLength->length ? S().soundLength->elements()[sound] : 0;
        return ticks() <= S().startTime->elements()[channel] + length * S().channelField3->elements()[channel];
    }
    return p->getState() == Player::STARTED;
}
