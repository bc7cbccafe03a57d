// veltrano_stand_in: the veltrano executable with the shell tests' stand-in MIDlet built in, for
// the end-to-end runs until the game's own MIDlet exists. The stand-in runs a game thread and
// logs the application property "MIDlet-Name".
#include "platform/app/launcher.h"
#include "tests/platform/app/stand_in_midlet.h"

int main(int argc, char** argv) {
    mrc::test::StandInConfig config;
    config.gameThread = true;
    config.propertyKey = "MIDlet-Name";
    mrc::test::registerStandInMidlet(config);
    return mrc::veltranoMain(argc, argv);
}
