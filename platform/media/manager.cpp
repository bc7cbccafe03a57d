#include "platform/media/manager.h"

#include <cstring>
#include <initializer_list>
#include <vector>

#include "platform/media/dshow_player.h"
#include "platform/media/sound_player_ogg.h"
#include "platform/media/sound_player_wave.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/io/input_stream.h"
#include "runtime/lang/string.h"

using namespace mrc;

namespace {

enum class Kind { None, Wave, Ogg, Midi, Amr };

Kind kindOfType(String* type) {
    static constexpr struct {
        const char* name;
        Kind kind;
    } kTypes[] = {{"audio/x-wav", Kind::Wave}, {"audio/ogg", Kind::Ogg}, {"audio/midi", Kind::Midi}, {"audio/amr", Kind::Amr}};
    for (const auto& t : kTypes)
        if (type->equalsIgnoreCaseCString(t.name)) return t.kind;
    return Kind::None;
}

Kind kindOfBytes(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < 4) return Kind::None;
    if (std::memcmp(bytes.data(), "RIFF", 4) == 0) return Kind::Wave;
    if (std::memcmp(bytes.data(), "OggS", 4) == 0) return Kind::Ogg;
    if (std::memcmp(bytes.data(), "MThd", 4) == 0) return Kind::Midi;
    return Kind::None;
}

// The stream's bytes, read by one call into a temporary array whose storage is given back at once.
std::vector<uint8_t> readAll(java_io_InputStream* stream, int32_t n) {
    ByteArray* buffer = ApplicationImpl::getApplication()->objectManager->newByteArray(n);
    if (!buffer || !buffer->data) return {};
    stream->read(buffer, 0, n);
    std::vector<uint8_t> bytes(static_cast<std::size_t>(n));
    if (buffer->data) std::memcpy(bytes.data(), buffer->data, bytes.size());
    releaseArrayData(buffer);
    buffer->length = 0;
    return bytes;
}

ObjectArray* stringArray(std::initializer_list<const char*> texts) {
    ObjectArray* array = ApplicationImpl::getApplication()->objectManager->newObjectArray(
        kClass_String, static_cast<int32_t>(texts.size()));
    if (!array) return nullptr;
    int32_t i = 0;
    for (const char* text : texts) JArray::setRef(array, i++, newString(text));
    return array;
}

}  // namespace

Object* javax_microedition_media_Manager::createPlayer(java_io_InputStream* stream, String* type) {
    if (isNull(stream)) return nullptr;
    int32_t n = stream->available();
    if (n <= 0) return nullptr;
    std::vector<uint8_t> bytes = readAll(stream, n);
    if (bytes.empty()) return nullptr;
    Kind kind = isNull(type) ? kindOfBytes(bytes) : kindOfType(type);
    const uint32_t length = static_cast<uint32_t>(bytes.size());
    switch (kind) {
    case Kind::Wave:
        return SoundPlayerWAVE::newInstance(bytes.data(), length);
    case Kind::Ogg:
        return SoundPlayerOGG::newInstance(bytes.data(), length);
    case Kind::Midi:
    case Kind::Amr: {
        DShowPlayer* player =
            DShowPlayer::newInstance(bytes.data(), length, kind == Kind::Midi ? "audio/midi" : "audio/amr");
        if (player && !player->create()) {
            player->close();
            return nullptr;
        }
        return player;
    }
    case Kind::None:
        break;
    }
    return nullptr;
}

ObjectArray* javax_microedition_media_Manager::getSupportedContentTypes(String*) {
    return stringArray({"audio/x-wav", "audio/ogg", "audio/midi"});
}

ObjectArray* javax_microedition_media_Manager::getSupportedProtocols(String*) { return stringArray({"file"}); }
