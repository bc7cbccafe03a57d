#include "runtime/lang/system_class.h"

namespace mrc {

SystemStatics systemStatics;

void initSystemStatics() {}

void printOnSystemErr(String*) {}

}  // namespace mrc
