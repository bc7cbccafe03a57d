#include "runtime/lang/lang_statics.h"

#include "runtime/core/static_class.h"
#include "runtime/lang/boolean.h"
#include "runtime/lang/runtime_class.h"
#include "runtime/lang/system_class.h"
#include "runtime/util/time_zone.h"

namespace mrc {

void registerRuntimeStatics() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    StaticClass::registerStatics("java_lang_System", &systemStatics);
    StaticClass::registerStatics("java_lang_Boolean", &java_lang_Boolean::statics);
    StaticClass::registerStatics("java_lang_Runtime", &java_lang_Runtime::statics);
    registerZoneStatics();
    StaticClass::setInitialiser(StaticInit::System, &initSystemStatics);
    StaticClass::setInitialiser(StaticInit::Boolean, &java_lang_Boolean::clinit);
    StaticClass::setInitialiser(StaticInit::Runtime, &java_lang_Runtime::clinit);
}

}  // namespace mrc
