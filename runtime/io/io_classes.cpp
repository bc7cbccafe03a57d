#include "runtime/io/io_classes.h"

#include <new>

#include "runtime/io/byte_array_input_stream.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/data_input_stream.h"
#include "runtime/io/data_output_stream.h"
#include "runtime/io/print_stream.h"

namespace mrc {

void registerIoClasses() {
    NewInstanceFactory::add<java_io_ByteArrayInputStream>();
    NewInstanceFactory::add<java_io_ByteArrayOutputStream>();
    NewInstanceFactory::add<java_io_ConsoleOutputStream>();
    NewInstanceFactory::add<java_io_DataInputStream>();
    NewInstanceFactory::add<java_io_DataOutputStream>();
    NewInstanceFactory::add<java_io_PrintStream>();
}

}  // namespace mrc
