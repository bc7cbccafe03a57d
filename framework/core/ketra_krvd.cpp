#include "framework/core/ketra_krvd.h"

#include "framework/core/game_hooks.h"
#include "framework/core/qxlib.h"
#include "framework/sound/sound_manager.h"
#include "framework/sound/sound_pack.h"
#include "framework/sprite/sprite.h"
#include "framework/sprite/sprite_instance.h"
#include "host/core/log.h"
#include "platform/lcdui/displayable.h"
#include "runtime/core/application.h"
#include "runtime/core/static_class.h"

KetraKRVD::Statics KetraKRVD::statics;

namespace {

constexpr const char* kTraceStartApp = "KetraKRVD: startApp";
constexpr const char* kTraceStop = "KetraKRVD: stop requested";

void stopApplication() { mrc::ApplicationImpl::getInstance()->stop(); }

// The Game object with its Java constructor run, or null (traced) when none can be made.
QXLib* createGame(KetraKRVD* midlet) {
    Object* created = mrc::NewInstanceFactory::newInstance(mrc::kClass_Game);
    auto initGame = gameHooks().initGame;
    if (isNull(created) || !Object::instanceOf(created, mrc::kClass_QXLib) || initGame == nullptr) {
        mrc_log("KetraKRVD::startApp(): no game class %s is built in", mrc::kClassNames[mrc::kClass_Game]);
        return nullptr;
    }
    auto* game = static_cast<QXLib*>(created);
    initGame(game, midlet, javax_microedition_lcdui_Display::getDisplay(midlet));
    if (Object* pending = mrc::ApplicationImpl::getApplication()->getPendingException()) {
        // Left pending for the runtime's trace of startApp.
        mrc_log("KetraKRVD::startApp(): the game's constructor raised %s",
                pending->m_classId < mrc::kClassCount ? mrc::kClassNames[pending->m_classId] : "an exception");
        return nullptr;
    }
    return game;
}

}  // namespace

void KetraKRVD::startApp() {
    if (isNull(statics.game)) {
        QXLib* game = createGame(this);
        if (game == nullptr) {
            // A MIDlet without its game would show nothing until closed.
            stopApplication();
            return;
        }
        statics.game = game;
        game->start();
    }
    QXLib::dbgPrintln(kTraceStartApp);
    if (QXLib::canvasStatics.paused) statics.game->resumeFrames();
}

void KetraKRVD::pauseApp() { QXLib::pause(); }

void KetraKRVD::destroyApp(bool) {
    if (isNull(statics.game)) {
        stopApplication();
        return;
    }
    QXLib::dbgPrintln(kTraceStop);
    QXLib::canvasStatics.runState = QXLib::kStopped;
}

namespace mrc {

void registerFrameworkClasses() {
    NewInstanceFactory::add<KetraKRVD>();
    NewInstanceFactory::add<ASprite>();
    NewInstanceFactory::add<ASpriteInstance>();
    NewInstanceFactory::add<WM_JSound>();
    NewInstanceFactory::add<WM_JSound_IO>();
    NewInstanceFactory::add<WM_JSound_SND>();
    StaticClass::registerStatics("KetraKRVD", &KetraKRVD::statics);
}

}  // namespace mrc
