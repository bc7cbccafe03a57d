// com.samsung.util.AudioClip (class 13): the vendor's sound clip over a Manager player. Nothing in
// the game makes one; it is here for the platform's completeness.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class ByteArray;
class String;

class com_samsung_util_AudioClip : public Object {
public:
    MRC_CLASS(com_samsung_util_AudioClip, Object);
    MRC_REF_FIELDS(&com_samsung_util_AudioClip::player);

    // String constants: the MIME types of clip types 1 ("audio/x-wav"), 2 ("audio/ogg") and
    // 3 ("audio/midi"), and the messages of the three argument checks.
    static constexpr int32_t kTypeMimeConstants[3] = {597, 598, 599};
    static constexpr int32_t kBadTypeConstant = 600;
    static constexpr int32_t kBadLoopConstant = 601;
    static constexpr int32_t kBadVolumeConstant = 602;

    // A new clip run through its byte constructor; null when the heap is exhausted.
    static com_samsung_util_AudioClip* newInstance(int32_t type, ByteArray* data, int32_t offset, int32_t length);

    // The constructors. Types 1-3 only (java_lang_IllegalArgumentException otherwise, with the
    // type after the message); the bytes are copied and a player made for them. A clip made from
    // a resource name has no player.
    void AudioClip(int32_t type, ByteArray* data, int32_t offset, int32_t length);
    void AudioClip(int32_t type, String* name);

    static bool isSupported();  // true
    // loop 0..255 (above 1: the player's loop count), volume 0..5 (checked, not applied); others
    // raise java_lang_IllegalArgumentException. Then the player starts.
    void play(int32_t loop, int32_t volume);
    void pause();   // the player's stop()
    void resume();  // the player's start()
    void stop();

    Object* player;  // javax_microedition_media_Player; null when none could be made

private:
    static Object* playerForName(String* name);
};
