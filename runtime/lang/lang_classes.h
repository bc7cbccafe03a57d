#pragma once

namespace mrc {

// The class-id factories of java.lang's classes, the exceptions of java.io and java.util, and the
// timer's thread; the runtime's start-up registers them.
void registerLangClasses();

}  // namespace mrc
