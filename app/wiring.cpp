#include "app/wiring.h"

#include "framework/core/framework_statics.h"
#include "framework/core/ketra_krvd.h"
#include "game/flow/game.h"
#include "game/flow/game_statics.h"
#include "platform/app/platform_classes.h"
#include "platform/net/connections.h"
#include "runtime/io/io_classes.h"
#include "runtime/util/util_classes.h"

namespace mrc {

void wireVeltrano() {
    registerIoClasses();
    registerUtilClasses();
    registerPlatformClasses();
    net::registerConnectionSchemes();
    registerFrameworkStatics();
    registerGameStatics();
    registerFrameworkClasses();
    registerGameClasses();
}

}  // namespace mrc
