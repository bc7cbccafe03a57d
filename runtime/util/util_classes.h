// Registers the java.util classes that `new` by class id can create (Stack and Timer have none).
#pragma once

namespace mrc {
void registerUtilClasses();
}
