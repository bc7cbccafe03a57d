#include "platform/midlet/midlet.h"

#include "host/core/log.h"
#include "platform/io/file.h"
#include "runtime/core/application.h"
#include "runtime/core/static_class.h"
#include "runtime/io/input_stream.h"
#include "runtime/lang/string.h"
#include "runtime/util/hashtable.h"
#include "runtime/util/library_support.h"

using MIDlet = javax_microedition_midlet_MIDlet;

MIDlet::Statics MIDlet::statics{};

void MIDlet::registerStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    mrc::StaticClass::registerStatics("javax_microedition_midlet_MIDlet", &statics);
}

void javax_microedition_midlet_MIDlet::MIDlet() {
    registerStatics();
    properties = java_util_Hashtable::newInstance(kPropertiesCapacity);
    loadJadProperties();
    statics.instance = this;
}

String* MIDlet::getAppProperty(String* key) {
    Object* value = isNull(properties) ? nullptr : properties->get(key);
    if (!isNull(value)) return static_cast<String*>(value);
    return mrc::newString(kMissingValue);
}

void MIDlet::loadJadProperties() {
    String* text = mrc::ApplicationImpl::getInstance()->getAppProperty(kPropertiesResource);
    if (isNull(text) || text->count() == 0) return;
    loadJadProperties(text);
}

namespace {

bool blank(String* text, int32_t begin, int32_t end) {
    for (int32_t i = begin; i < end; ++i)
        if (text->charAtUnchecked(i) > u' ') return false;
    return true;
}

}  // namespace

void MIDlet::loadJadProperties(String* text) {
    if (isNull(text) || mrc::lib::isNullReported(properties)) return;
    int32_t end = text->count();
    int32_t line = 1;
    for (int32_t pos = 0; pos < end; ++line) {
        int32_t lineEnd = text->indexOf(u'\n', pos);
        if (lineEnd < 0) lineEnd = end;
        int32_t colon = text->indexOf(u':', pos);
        // The key is cut at the line's own ':' only: a colon further on belongs to a later line.
        if (colon < 0 || colon >= lineEnd) {
            if (!blank(text, pos, lineEnd)) mrc_log("MIDlet::loadJadProperties(): line %d has no ':', skipped", line);
            pos = lineEnd + 1;
            continue;
        }
        int32_t valueEnd = lineEnd > colon + 1 && text->charAtUnchecked(lineEnd - 1) == u'\r' ? lineEnd - 1 : lineEnd;
        String* key = text->substring(pos, colon);
        if (!isNull(key)) key = key->trim();
        String* value = text->substring(colon + 1, valueEnd);
        if (!isNull(value)) value = value->trim();
        if (isNull(key) || isNull(value)) {
            mrc_log("MIDlet::loadJadProperties(): out of memory at line %d", line);
            return;
        }
        properties->put(key, value);
        pos = lineEnd + 1;
    }
}

void MIDlet::notifyDestroyed() { mrc::ApplicationImpl::getInstance()->stop(); }

bool MIDlet::platformRequest(String* url) {
    if (mrc::lib::isNullReported(url)) return false;
    return mrc::ApplicationImpl::getInstance()->platformRequest(url->toUtf8().c_str());
}

namespace mrc {

String* readStreamText(java_io_InputStream* stream) {
    if (isNull(stream)) return nullptr;
    ByteArray* bytes = readAllBytes(stream);
    stream->close();
    if (isNull(bytes)) return nullptr;
    auto* text = newObject<String>();
    if (text) text->initFromBytes(bytes);
    return text;
}

}  // namespace mrc
