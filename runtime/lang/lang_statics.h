// Registers the runtime's own blocks of statics and static initialisers with StaticClass.
#pragma once

namespace mrc {

// Idempotent; the StaticClass constructor calls it, so every run has them.
void registerRuntimeStatics();

}  // namespace mrc
