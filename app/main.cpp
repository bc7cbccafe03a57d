// veltrano: the game's executable. Lower layers cannot reach the higher ones, so the tables that
// span them (new-by-id factories, connection schemes, static blocks and initialisers, the MIDlet's
// factory) are wired here; the platform layer does the rest.
#include "framework/core/framework_statics.h"
#include "platform/app/launcher.h"
#include "platform/net/connections.h"
#include "runtime/io/io_classes.h"
#include "runtime/util/util_classes.h"

int main(int argc, char** argv) {
    mrc::registerIoClasses();
    mrc::registerUtilClasses();
    mrc::net::registerConnectionSchemes();
    mrc::registerFrameworkStatics();
    return mrc::veltranoMain(argc, argv);
}
