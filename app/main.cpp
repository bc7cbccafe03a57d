// veltrano: the game's executable. Lower layers cannot reach the higher ones, so the tables that
// span them are wired here (app/wiring.cpp); the platform layer does the rest.
#include "app/wiring.h"
#include "platform/app/launcher.h"

int main(int argc, char** argv) {
    mrc::wireVeltrano();
    return mrc::veltranoMain(argc, argv);
}
