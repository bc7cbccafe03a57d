#include "runtime/io/print_stream.h"

#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/lang/string.h"
#include "runtime/util/library_support.h"

using namespace mrc;

namespace {
constexpr const char kNull[] = "null";
}  // namespace

java_io_PrintStream* java_io_PrintStream::newInstance(java_io_OutputStream* out) {
    auto* s = newObject<java_io_PrintStream>();
    if (s) s->PrintStream(out);
    return s;
}

void java_io_PrintStream::PrintStream(java_io_OutputStream* stream) { out = stream; }

void java_io_PrintStream::close() {
    if (lib::isNullReported(out)) return;
    out->close();
    lib::dropPending(kClass_java_io_IOException);
}

void java_io_PrintStream::flush() {
    if (lib::isNullReported(out)) return;
    out->flush();
    lib::dropPending(kClass_java_io_IOException);
}

void java_io_PrintStream::write(int32_t b) {
    if (lib::isNullReported(out)) return;
    out->write(b);
    lib::dropPending(kClass_java_io_IOException);
}

void java_io_PrintStream::write(ByteArray* b, int32_t off, int32_t len) {
    if (lib::isNullReported(out)) return;
    out->write(b, off, len);
    lib::dropPending(kClass_java_io_IOException);
}

template <class Units>
void java_io_PrintStream::writeNarrowed(int32_t count, Units unit) {
    if (lib::isNullReported(out)) return;
    ByteArray* bytes = ApplicationImpl::getApplication()->objectManager->newByteArray(count);
    if (isNull(bytes)) return;
    for (int32_t i = 0; i < count; ++i) bytes->elements()[i] = static_cast<int8_t>(unit(i));
    out->write(bytes);
    lib::dropPending(kClass_java_io_IOException);
}

void java_io_PrintStream::print(String* s) {
    if (isNull(s)) {
        writeNarrowed(4, [](int32_t i) { return kNull[i]; });
        return;
    }
    writeNarrowed(s->count(), [s](int32_t i) { return s->chars[i]; });
}

void java_io_PrintStream::print(Object* o) { print(isNull(o) ? static_cast<String*>(nullptr) : o->toString()); }

void java_io_PrintStream::print(char16_t c) { write(c & 0xFF); }

void java_io_PrintStream::print(CharArray* s) {
    if (lib::isNullReported(s)) return;
    writeNarrowed(s->length, [s](int32_t i) { return s->elements()[i]; });
}

void java_io_PrintStream::print(int32_t i) { print(String::valueOfInt(i)); }

void java_io_PrintStream::print(int64_t l) { print(String::valueOfLong(l)); }

void java_io_PrintStream::print(bool b) {
    String* text = lib::constant(b ? kTrueConstant : kFalseConstant);
    print(text ? text : String::valueOfBoolean(b));
}

void java_io_PrintStream::println() { write(10); }

// ---- the console stream ----------------------------------------------------------------------

java_io_ConsoleOutputStream* java_io_ConsoleOutputStream::newInstance() {
    return newObject<java_io_ConsoleOutputStream>();
}

void java_io_ConsoleOutputStream::write(int32_t) {}
void java_io_ConsoleOutputStream::write(ByteArray*) {}
void java_io_ConsoleOutputStream::write(ByteArray*, int32_t, int32_t) {}
void java_io_ConsoleOutputStream::close() {}
void java_io_ConsoleOutputStream::flush() {}
