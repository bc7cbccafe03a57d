// Registers the java.util classes that `new` by class id can create (Stack has no allocator).
#pragma once

namespace mrc {
void registerUtilClasses();
}
