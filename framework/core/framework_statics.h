// Registers the framework's blocks of statics and static initialisers with StaticClass.
#pragma once

namespace mrc {

// Idempotent; call before the runtime starts (app/ does at start-up, tests in their fixtures).
void registerFrameworkStatics();

}  // namespace mrc
