#include "runtime/io/output_stream.h"

#include "runtime/core/arrays.h"
#include "runtime/util/library_support.h"

using namespace mrc;

void java_io_OutputStream::close() {}
void java_io_OutputStream::flush() {}
void java_io_OutputStream::write(ByteArray* b, int32_t off, int32_t len) {
    if (!lib::rangeOk(b, off, len)) return;
    for (int32_t i = 0; i < len; ++i) {
        write(static_cast<int32_t>(b->elements()[off + i]));
        if (lib::exceptionPending()) return;
    }
}

void java_io_OutputStream::write(ByteArray* b) {
    if (lib::isNullReported(b)) return;
    write(b, 0, b->length);
}
