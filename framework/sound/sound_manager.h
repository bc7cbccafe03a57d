// WM_JSound: the game's sound manager. Twelve sound slots loaded once from a sound pack, each
// with a media player created, realized and prefetched at load time; one sound plays at a time,
// and a request while a sound plays is dropped, not queued.
#pragma once

#include <cstdint>

#include "framework/sound/sound_pack.h"
#include "runtime/core/arrays.h"
#include "runtime/core/class_ids.h"
#include "runtime/core/object.h"

class String;
class javax_microedition_media_Player;

// Interface 123: declares nothing; WM_JSound answers it.
class WM_JSound_Config {
protected:
    ~WM_JSound_Config() = default;
};

class WM_JSound_SND : public Object {
public:
    MRC_CLASS(WM_JSound_SND, Object);
    MRC_REF_FIELDS(&WM_JSound_SND::data, &WM_JSound_SND::player, &WM_JSound_SND::contentType);

    struct Statics {
        IntArray* rebuildIds;  // sound ids whose player is rebuilt before each play: {-1}
        MRC_REF_FIELDS(&Statics::rebuildIds);
    };
    static Statics statics;
    static void clinit();

    ByteArray* data;
    Object* player;
    String* contentType;
    int32_t volume;
    int32_t loopCount;
    int32_t unused;
    int64_t mediaTime;
};

class WM_JSound : public Object, public WM_JSound_Config {
public:
    MRC_CLASS(WM_JSound, Object);
    MRC_REF_FIELDS(&WM_JSound::sounds, &WM_JSound::io);

    static constexpr int32_t kSoundCount = 12;
    // The MIME types chosen by a sound's leading bytes; the last for anything else.
    static constexpr const char* kWaveType = "audio/x-wav";
    static constexpr const char* kMidiType = "audio/midi";
    static constexpr const char* kOggType = "audio/ogg";
    static constexpr const char* kOtherType = "audio/amr";

    // The Java constructor.
    void init();
    // Loads the pack once.
    void init(String* packName);
    void reload(String* packName);

    void playRequest(int32_t first, int32_t id, int32_t loops, int32_t volume);
    void play(int32_t id, int32_t loops);
    virtual void prepareSound(int32_t id, int32_t loops);  // slot 6
    virtual bool isSoundPlaying(int32_t id);               // slot 7
    virtual void forEachSound();                           // slot 8: pause all
    void pauseAll();                                       // the non-virtual copy
    void pauseSound(int32_t id);
    bool anySoundMatches();
    bool controlPlayer(int32_t id, int32_t mode);
    void rebuildPlayer(int32_t id);

    void* getInterface(int32_t interfaceId) override;

    // The slot of a sound id; null outside 0..11.
    WM_JSound_SND* slot(int32_t id);
    // The slot's player when the sound is ready (data and a player), else null.
    javax_microedition_media_Player* readyPlayer(int32_t id);

    ObjectArray* sounds;
    int32_t modeRestart;
    int32_t modeResume;
    int32_t modeStop;
    bool loaded;
    WM_JSound_IO* io;
    int32_t defaultVolume;
    bool enabled;
    int32_t lastRequest;

private:
    void createPlayer(WM_JSound_SND* s);
};

// The game's manager (Game.sound) paused through slot 8.
void pauseAllSounds(WM_JSound* sound);
