#include "framework/sound/sound_manager.h"

#include <cstring>

#include "framework/sound/sound_support.h"
#include "host/core/log.h"
#include "platform/media/manager.h"
#include "platform/media/player.h"
#include "runtime/io/byte_array_input_stream.h"
#include "runtime/lang/string.h"

WM_JSound_SND::Statics WM_JSound_SND::statics;

using mrc::sound::callFailed;
using mrc::sound::objects;
using Player = javax_microedition_media_Player;

void WM_JSound_SND::clinit() {
    IntArray* ids = objects()->newIntArray(1);
    if (ids) ids->elements()[0] = -1;
    statics.rebuildIds = ids;
}

void WM_JSound::init() {
    modeRestart = 1;
    modeResume = 2;
    modeStop = 3;
    defaultVolume = 100;
    loaded = false;
    enabled = false;
    lastRequest = 0;
    io = mrc::newObject<WM_JSound_IO>();
    sounds = objects()->newObjectArray(mrc::kClass_WM_JSound_SND, kSoundCount);
    if (isNull(sounds)) return;
    for (int32_t i = 0; i < kSoundCount; ++i) sounds->elements()[i] = mrc::newObject<WM_JSound_SND>();
}

void* WM_JSound::getInterface(int32_t interfaceId) {
    if (interfaceId == mrc::kClass_WM_JSound_Config) return static_cast<WM_JSound_Config*>(this);
    return Object::getInterface(interfaceId);
}

WM_JSound_SND* WM_JSound::slot(int32_t id) {
    if (isNull(sounds) || id < 0 || id >= sounds->length) return nullptr;
    Object* s = sounds->elements()[id];
    return isNull(s) ? nullptr : static_cast<WM_JSound_SND*>(s);
}

Player* WM_JSound::readyPlayer(int32_t id) {
    WM_JSound_SND* s = slot(id);
    if (!s || isNull(s->data) || isNull(s->player)) return nullptr;
    return mrc::media::playerOf(s->player);
}

void WM_JSound::init(String* packName) {
    if (loaded) return;
    reload(packName);
}

namespace {

const char* typeFor(const ByteArray* data) {
    if (data->length < 4) return WM_JSound::kOtherType;
    const char* head = reinterpret_cast<const char*>(const_cast<ByteArray*>(data)->elements());
    if (std::memcmp(head, "RIFF", 4) == 0) return WM_JSound::kWaveType;
    if (std::memcmp(head, "MThd", 4) == 0) return WM_JSound::kMidiType;
    if (std::memcmp(head, "OggS", 4) == 0) return WM_JSound::kOggType;
    return WM_JSound::kOtherType;
}

}  // namespace

void WM_JSound::createPlayer(WM_JSound_SND* s) {
    s->player = nullptr;
    // An entry the pack did not have leaves the slot empty: no data, no player.
    if (isNull(s->data)) return;
    java_io_ByteArrayInputStream* in = java_io_ByteArrayInputStream::newInstance(s->data);
    s->player = javax_microedition_media_Manager::createPlayer(in, s->contentType);
    Player* p = mrc::media::playerOf(s->player);
    if (!p) {
        s->player = nullptr;
        mrc_log("WM_JSound: no player for a sound of %d bytes", s->data->length);
        return;
    }
    p->realize();
    if (!callFailed()) p->prefetch();
    if (callFailed()) mrc_log("WM_JSound: preparing a player failed");
}

void WM_JSound::reload(String* packName) {
    if (isNull(io) || isNull(sounds)) return;
    io->open(packName);
    for (int32_t i = 0; i < kSoundCount; ++i) {
        WM_JSound_SND* s = slot(i);
        if (!s) continue;
        int32_t size = io->seekEntry(i);
        // The pack lacks the entry, or claims a negative size: the slot stays empty.
        ByteArray* data = size < 0 ? nullptr : objects()->newByteArray(size);
        if (data) io->readBytes(data, 0, size);
        s->data = data;
        if (isNull(s->data)) mrc_log("WM_JSound: sound %d has no data", i);
    }
    for (int32_t i = 0; i < kSoundCount; ++i) {
        WM_JSound_SND* s = slot(i);
        if (!s || isNull(s->data)) continue;
        if (s->data->length == 0) {
            mrc_log("WM_JSound: sound %d is empty", i);
            continue;
        }
        s->contentType = mrc::newString(typeFor(s->data));
    }
    for (int32_t i = 0; i < kSoundCount; ++i)
        if (WM_JSound_SND* s = slot(i)) createPlayer(s);
    for (int32_t i = 0; i < kSoundCount; ++i)
        if (WM_JSound_SND* s = slot(i)) {
            s->volume = 100;
            s->loopCount = 1;
            s->mediaTime = 0;
        }
    io->release();
    loaded = true;
}

void WM_JSound::playRequest(int32_t, int32_t id, int32_t loops, int32_t volume) {
    if (!enabled) return;
    IntArray* rebuild = WM_JSound_SND::statics.rebuildIds;
    if (!isNull(rebuild))
        for (int32_t i = 0; i < rebuild->length; ++i)
            if (rebuild->elements()[i] == id) {
                rebuildPlayer(id);
                break;
            }
    if (volume == 0) return;
    if (anySoundMatches()) return;
    lastRequest = id;
    prepareSound(id, loops);
}

void WM_JSound::play(int32_t id, int32_t loops) { playRequest(0, id, loops, 100); }

void WM_JSound::prepareSound(int32_t id, int32_t loops) {
    if (!readyPlayer(id)) {
        mrc_log("WM_JSound: sound %d is not ready", id);
        return;
    }
    slot(id)->loopCount = loops;
    controlPlayer(id, modeRestart);
    if (callFailed()) mrc_log("WM_JSound: playing sound %d failed", id);
}

bool WM_JSound::isSoundPlaying(int32_t id) {
    Player* p = readyPlayer(id);
    return p && p->getState() == Player::STARTED;
}

void WM_JSound::forEachSound() { pauseAll(); }

void WM_JSound::pauseAll() {
    for (int32_t i = 0; i < kSoundCount; ++i) pauseSound(i);
}

void WM_JSound::pauseSound(int32_t id) {
    Player* p = readyPlayer(id);
    if (!p) return;
    slot(id)->mediaTime = p->getMediaTime();
    controlPlayer(id, modeStop);
    if (callFailed()) mrc_log("WM_JSound: pausing sound %d failed", id);
}

bool WM_JSound::anySoundMatches() {
    for (int32_t i = 0; i < kSoundCount; ++i)
        if (isSoundPlaying(i)) return true;
    return false;
}

bool WM_JSound::controlPlayer(int32_t id, int32_t mode) {
    Player* p = readyPlayer(id);
    if (!p) return true;
    if (mode == modeStop) {
        if (p->getState() == Player::STARTED) p->stop();
        return true;
    }
    if (p->getState() == Player::UNREALIZED) p->realize();
    if (p->getState() == Player::REALIZED) p->prefetch();
    int32_t s = p->getState();
    if (s == Player::STARTED || s == Player::PREFETCHED) {
        p->stop();
        if (mode == modeRestart) p->setMediaTime(0);
    }
    p->setLoopCount(slot(id)->loopCount);
    p->start();
    return true;
}

void WM_JSound::rebuildPlayer(int32_t id) {
    WM_JSound_SND* s = slot(id);
    if (!s) return;
    if (Player* old = mrc::media::playerOf(s->player)) {
        old->deallocate();
        old->close();
        callFailed();
    }
    createPlayer(s);
}

void pauseAllSounds(WM_JSound* sound) {
    if (!isNull(sound)) sound->forEachSound();
}
