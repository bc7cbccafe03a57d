// javax.microedition.media.Manager (class 92): players made from a stream's bytes, chosen by MIME
// type or by the leading bytes. Only static natives; no instance exists.
#pragma once

#include <cstdint>

class Object;
class ObjectArray;
class String;
class java_io_InputStream;

class javax_microedition_media_Manager {
public:
    // A player in state 100 over the stream's available() bytes, read by one read call; null for
    // a null or empty stream, an unknown type or unknown leading bytes, or a MIDI or AMR graph that
    // cannot be built. Types, ignoring ASCII case: "audio/x-wav", "audio/ogg", "audio/midi",
    // "audio/amr"; without a type "RIFF", "OggS" and "MThd" decide (AMR is never recognised by
    // its bytes). Never raises.
    static Object* createPlayer(java_io_InputStream* stream, String* type);
    // "audio/x-wav", "audio/ogg", "audio/midi" (the argument is not looked at).
    static ObjectArray* getSupportedContentTypes(String* protocol);
    // "file" (the argument is not looked at).
    static ObjectArray* getSupportedProtocols(String* contentType);
};
