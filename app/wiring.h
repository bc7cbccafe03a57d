// The tables that span the layers, wired before the runtime starts: new-by-id factories of the
// library classes, the connection schemes, the blocks of statics and initialisers of the framework
// and the game, and the factories of the MIDlet and the game canvas. Shared by veltrano and the
// end-to-end stand-ins, which then replace single hooks.
#pragma once

namespace mrc {

void wireVeltrano();

}  // namespace mrc
