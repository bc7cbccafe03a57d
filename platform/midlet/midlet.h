// javax.microedition.midlet.MIDlet: the base of the game's MIDlet, with the application
// properties of "app.jad" (one "key: value" a line) in a Hashtable.
//
// Virtual slots after Object's six, as the runtime calls them: 6 getAppProperty, 7 startApp,
// 8 pauseApp, 9 destroyApp(boolean).
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class String;
class java_io_InputStream;
class java_util_Hashtable;

class javax_microedition_midlet_MIDlet : public Object {
public:
    MRC_CLASS(javax_microedition_midlet_MIDlet, Object);
    MRC_REF_FIELDS(&javax_microedition_midlet_MIDlet::properties);

    static constexpr const char* kPropertiesResource = "app.jad";
    static constexpr const char* kMissingValue = "PROPERTY VALUE EMPTY";
    static constexpr int32_t kPropertiesCapacity = 11;

    // The value of `key`, or a new "PROPERTY VALUE EMPTY" String; never null.
    virtual String* getAppProperty(String* key);  // slot 6
    virtual void startApp() {}                     // slot 7
    virtual void pauseApp() {}                     // slot 8
    virtual void destroyApp(bool) {}               // slot 9

    // The Java constructor: loads "app.jad" and becomes the MIDlet class's instance.
    void MIDlet();

    // "app.jad" through the resource opener; no resource leaves the table empty.
    void loadJadProperties();
    // One entry per line that holds a ':' before its end: the key is the text before the
    // line's first ':', the value the rest without a final CR, both trimmed. Other lines are
    // skipped (traced unless blank).
    void loadJadProperties(String* text);

    // The MIDlet's requests to the runtime: ending the application, opening a URL (false: the
    // MIDlet need not exit first).
    void notifyDestroyed();
    void notifyPaused() {}
    void resumeRequest() {}
    bool platformRequest(String* url);
    int32_t checkPermission(String*) { return 1; }

    java_util_Hashtable* properties;

    struct Statics {
        javax_microedition_midlet_MIDlet* instance;
        MRC_REF_FIELDS(&Statics::instance);
    };
    static Statics statics;
    // Registers the statics with StaticClass; idempotent.
    static void registerStatics();
};

namespace mrc {

// The whole stream as ISO-8859-1 text (each byte one character), then the stream is closed.
// Null for a null stream; an exception raised while reading stays pending and yields null.
String* readStreamText(java_io_InputStream* stream);

}  // namespace mrc
