#include "platform/media/audio_clip.h"

#include "platform/media/manager.h"
#include "platform/media/player.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/application.h"
#include "runtime/io/byte_array_input_stream.h"
#include "runtime/lang/string.h"
#include "runtime/lang/system.h"
#include "runtime/util/library_support.h"

using namespace mrc;

com_samsung_util_AudioClip* com_samsung_util_AudioClip::newInstance(int32_t type, ByteArray* data, int32_t offset,
                                                                     int32_t length) {
    com_samsung_util_AudioClip* clip = newObject<com_samsung_util_AudioClip>();
    if (clip) clip->AudioClip(type, data, offset, length);
    return clip;
}

void com_samsung_util_AudioClip::AudioClip(int32_t type, ByteArray* data, int32_t offset, int32_t length) {
    if (type < 1 || type > 3) {
        lib::raiseWithConstantAndValue(kClass_java_lang_IllegalArgumentException, kBadTypeConstant, type);
        return;
    }
    ByteArray* copy = ApplicationImpl::getApplication()->objectManager->newByteArray(length);
    if (!copy) return;
    java_lang_System::arraycopy(data, offset, copy, 0, length);
    if (lib::exceptionPending()) return;
    java_io_ByteArrayInputStream* stream = java_io_ByteArrayInputStream::newInstance(copy, 0, length);
    if (!stream) return;
    player = javax_microedition_media_Manager::createPlayer(stream, lib::constant(kTypeMimeConstants[type - 1]));
}

void com_samsung_util_AudioClip::AudioClip(int32_t, String* name) {
    player = playerForName(name);
    lib::dropPending(kClass_java_lang_Exception);
}

Object* com_samsung_util_AudioClip::playerForName(String*) { return nullptr; }

bool com_samsung_util_AudioClip::isSupported() { return true; }

void com_samsung_util_AudioClip::play(int32_t loop, int32_t volume) {
    if (loop < 0 || loop > 255) {
        lib::raiseWithConstantAndValue(kClass_java_lang_IllegalArgumentException, kBadLoopConstant, loop);
        return;
    }
    if (volume < 0 || volume > 5) {
        lib::raiseWithConstantAndValue(kClass_java_lang_IllegalArgumentException, kBadVolumeConstant, volume);
        return;
    }
    // A clip without a player has nothing to play.
    javax_microedition_media_Player* p = media::playerOf(player);
    if (!p) return;
    if (loop > 1) p->setLoopCount(loop);
    p->start();
}

void com_samsung_util_AudioClip::pause() {
    if (javax_microedition_media_Player* p = media::playerOf(player)) p->stop();
}

void com_samsung_util_AudioClip::resume() {
    if (javax_microedition_media_Player* p = media::playerOf(player)) p->start();
}

void com_samsung_util_AudioClip::stop() {
    if (javax_microedition_media_Player* p = media::playerOf(player)) p->stop();
}
