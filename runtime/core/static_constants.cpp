#include "runtime/core/static_class.h"

namespace mrc {
bool StaticClass::loadConstants(java_io_InputStream*) { return false; }
}
