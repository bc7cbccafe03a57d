#include "runtime/lang/system_class.h"

#include "runtime/io/print_stream.h"
#include "runtime/lang/throwable.h"
#include "runtime/util/library_support.h"

namespace mrc {

SystemStatics systemStatics;

void initSystemStatics() {
    java_io_ConsoleOutputStream* console = java_io_ConsoleOutputStream::newInstance();
    systemStatics.out = java_io_PrintStream::newInstance(console);
    systemStatics.err = systemStatics.out;
}

void printOnSystemErr(String* text) {
    if (lib::isNullReported(systemStatics.err)) return;
    systemStatics.err->print(text);
    lib::dropPending(kClass_java_io_IOException);
}

}  // namespace mrc
