#include "runtime/lang/runtime_class.h"

#include <new>

java_lang_Runtime::Statics java_lang_Runtime::statics;

void java_lang_Runtime::clinit() { statics.currentRuntime = mrc::newObject<java_lang_Runtime>(); }

// The application ends through its MIDlet, and collections are System.gc's.
void java_lang_Runtime::exit(int32_t) {}
void java_lang_Runtime::gc() {}
