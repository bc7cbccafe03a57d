// Stand-ins for the routines that later work builds (see game/pending.h). Each body traces once
// and answers a neutral value; none of them is the routine itself.
#include "game/pending.h"
