// veltrano: the game's executable. The higher layers register their classes, static
// initialisers and the MIDlet's factory here once they exist; the platform layer does the rest.
#include "framework/core/framework_statics.h"
#include "platform/app/launcher.h"

int main(int argc, char** argv) {
    mrc::registerFrameworkStatics();
    return mrc::veltranoMain(argc, argv);
}
