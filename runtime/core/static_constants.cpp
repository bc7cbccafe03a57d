// Loading the string constants: "/constants.bin" is a big-endian count, then that many strings
// as readUTF reads them.
#include "host/core/log.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/io/data_input_stream.h"
#include "runtime/lang/string.h"

namespace mrc {

bool StaticClass::loadConstants(java_io_InputStream* stream) {
    Application* app = ApplicationImpl::getApplication();
    java_io_DataInputStream* in = java_io_DataInputStream::newInstance(stream);
    if (!in) return false;
    int32_t count = in->readInt();
    if (app->getPendingException()) {
        // No count at all: an empty table, and the start-up leaves no exception behind.
        mrc_log("StaticClass: %s has no count", kConstantsResource);
        app->clearPendingException();
        count = 0;
    }
    if (count < 0 || count > kMaxConstants) {
        mrc_log("StaticClass: %s claims %d constants; reading at most %d", kConstantsResource, count,
                count < 0 ? 0 : kMaxConstants);
        count = count < 0 ? 0 : kMaxConstants;
    }
    stringConstants = app->objectManager->newObjectArray(kClass_String, count);
    if (isNull(stringConstants)) {
        mrc_log("StaticClass: no room for %d constants", count);
        stringConstants = nullptr;
        in->close();
        return false;
    }
    int32_t read = 0;
    for (; read < count; ++read) {
        String* s = in->readUTF();
        if (app->getPendingException() || !s) {
            // A short or damaged file: the constants not read stay null, and nothing of it is
            // left pending for the first handler of the game to catch.
            mrc_log("StaticClass: %s holds %d of %d constants", kConstantsResource, read, count);
            app->clearPendingException();
            break;
        }
        s->m_collectable = 0;
        // Reading may have moved the elements: index them afresh.
        stringConstants->elements()[read] = s;
    }
    in->close();
    app->clearPendingException();
    return read == count;
}

}  // namespace mrc
