// Registers the java.io classes that `new` by class id can create.
#pragma once

namespace mrc {
void registerIoClasses();
}
