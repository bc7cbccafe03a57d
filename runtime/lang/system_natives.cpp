// The clocks, the system property query and the memory figures.
#include <algorithm>
#include <limits>

#include "host/core/clock.h"
#include "host/window/system.h"
#include "runtime/lang/runtime_class.h"
#include "runtime/lang/string.h"
#include "runtime/lang/system.h"
#include "runtime/lang/system_class.h"
#include "runtime/util/hashtable.h"

namespace {

constexpr const char* kMediaVersionKey = "microedition.media.version";
constexpr const char* kMediaVersion = "1.0";
constexpr const char* kMissingProperty = "PROPERTY VALUE EMPTY";

int64_t clampToLong(uint64_t bytes) {
    return static_cast<int64_t>(std::min<uint64_t>(bytes, std::numeric_limits<int64_t>::max()));
}

}  // namespace

int64_t java_lang_System::currentTimeMillis() { return host::tickCount(); }

int64_t java_lang_System::wallClockMillis() { return host::currentTimeMillis() / 1000 * 1000; }

String* java_lang_System::getProperty(String* key) {
    if (!isNull(key)) {
        // The whole key, not a prefix of it.
        if (key->count() == static_cast<int32_t>(std::char_traits<char>::length(kMediaVersionKey)) &&
            key->equalsCString(kMediaVersionKey))
            return mrc::newString(kMediaVersion);
        java_util_Hashtable* table = mrc::systemStatics.properties;
        if (!isNull(table)) {
            Object* value = table->get(key);
            if (!isNull(value)) return value->toString();
        }
    }
    return mrc::newString(kMissingProperty);
}

int64_t java_lang_Runtime::freeMemory() { return clampToLong(host::memoryStatus().availablePhysical); }

int64_t java_lang_Runtime::totalMemory() { return clampToLong(host::memoryStatus().totalPhysical); }
