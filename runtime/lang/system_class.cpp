#include "runtime/lang/system_class.h"

#include "runtime/core/application.h"
#include "runtime/core/static_class.h"
#include "runtime/io/print_stream.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/hashtable.h"
#include "runtime/util/library_support.h"

namespace mrc {

SystemStatics systemStatics;

void initSystemStatics() {
    java_io_ConsoleOutputStream* console = java_io_ConsoleOutputStream::newInstance();
    systemStatics.out = java_io_PrintStream::newInstance(console);
    systemStatics.err = systemStatics.out;
    systemStatics.properties = java_util_Hashtable::newInstance(kSystemPropertyCapacity);
    if (lib::isNullReported(systemStatics.properties)) return;
    StaticClass* statics = ApplicationImpl::getApplication()->staticClass;
    systemStatics.properties->put(statics->getStringConstant(kSystemPropertyKeyConstant),
                                  statics->getStringConstant(kSystemPropertyValueConstant));
}

void printOnSystemErr(String* text) {
    if (lib::isNullReported(systemStatics.err)) return;
    systemStatics.err->print(text);
    lib::dropPending(kClass_java_io_IOException);
}

}  // namespace mrc
