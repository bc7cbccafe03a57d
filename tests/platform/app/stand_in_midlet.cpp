#include "tests/platform/app/stand_in_midlet.h"

#include "host/audio/wave_out.h"
#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "runtime/core/application.h"
#include "runtime/lang/string.h"
#include "runtime/lang/thread.h"
#include "runtime/lang/throwable.h"

namespace mrc::test {

namespace {

StandInConfig g_config;
std::atomic<bool> g_running{false};
std::atomic<uint64_t> g_paints{0};
std::atomic<int> g_inPaint{0};
std::atomic<bool> g_overlapped{false};

uint32_t deviceVolume() {
    uint32_t volume = 0;
    return host::waveOutGetVolume(host::kWaveOutDevice0, &volume) == host::WaveResult::Ok ? volume : 0;
}

}  // namespace

void registerStandInMidlet(const StandInConfig& config) {
    g_config = config;
    g_paints.store(0);
    g_overlapped.store(false);
    NewInstanceFactory::add<StandInMidlet>();
}

void unregisterStandInMidlet() { NewInstanceFactory::setFactory(kClass_KetraKRVD, nullptr); }

uint64_t standInPaints() { return g_paints.load(); }

bool standInPaintsOverlapped() { return g_overlapped.load(); }

}  // namespace mrc::test

using mrc::test::g_config;

void* StandInCanvas::getInterface(int32_t interfaceId) {
    if (interfaceId == mrc::kClass_java_lang_Runnable) return static_cast<java_lang_Runnable*>(this);
    return Base::getInterface(interfaceId);
}

void StandInCanvas::keyPressed(int32_t code) {
    mrc_log("StandIn keyPressed(%d)", code);
    if (code == mrc::test::kStandInThrowingKey) mrc::raise(mrc::kClass_java_lang_IllegalStateException);
}

void StandInCanvas::keyReleased(int32_t code) {
    mrc_log("StandIn keyReleased(%d) volume 0x%08X", code, mrc::test::deviceVolume());
}

void StandInCanvas::pointerPressed(int32_t x, int32_t y) { mrc_log("StandIn pointerPressed(%d,%d)", x, y); }

void StandInCanvas::pointerReleased(int32_t x, int32_t y) { mrc_log("StandIn pointerReleased(%d,%d)", x, y); }

void StandInCanvas::pointerDragged(int32_t x, int32_t y) { mrc_log("StandIn pointerDragged(%d,%d)", x, y); }

void StandInCanvas::showNotify() { mrc_log("StandIn showNotify"); }

void StandInCanvas::hideNotify() { mrc_log("StandIn hideNotify"); }

void StandInCanvas::paint(javax_microedition_lcdui_Graphics* g) {
    if (mrc::test::g_inPaint.fetch_add(1) != 0) {
        mrc::test::g_overlapped.store(true);
        mrc_log("StandIn overlapping paints");
    }
    uint64_t n = mrc::test::g_paints.fetch_add(1) + 1;
    if (g_config.logPaints)
        mrc_log("StandIn paint %llu clip %d,%d,%d,%d translate %d,%d colour %06X", static_cast<unsigned long long>(n),
                g->getClipX(), g->getClipY(), g->getClipWidth(), g->getClipHeight(), g->getTranslateX(),
                g->getTranslateY(), unsigned(g->getColor()) & 0xFFFFFF);
    g->setColor(mrc::test::kStandInBackground);
    g->fillRect(0, 0, getWidth(), getHeight());
    g->setColor(mrc::test::kStandInBox);
    g->fillRect(100, 100, 200, 100);
    // Leave the Graphics as the next paint must not find it.
    g->translate(7, 9);
    g->setClip(1, 2, 3, 4);
    mrc::test::g_inPaint.fetch_sub(1);
}

void StandInCanvas::run() {
    mrc_log("StandIn run");
    while (mrc::test::g_running.load()) {
        mrc::ApplicationImpl::getInstance()->flushScreen();
        java_lang_Thread::sleep(g_config.framePauseMs);
    }
    mrc_log("StandIn run ends");
    mrc::ApplicationImpl::getInstance()->stop();
}

void StandInMidlet::startApp() {
    mrc_log("StandIn startApp");
    if (!canvas) {
        canvas = mrc::newObject<StandInCanvas>();
        if (!canvas) return;
        javax_microedition_lcdui_Display::getDisplay(this)->setCurrent(canvas);
        if (*g_config.propertyKey) {
            String* value = getAppProperty(mrc::newString(g_config.propertyKey));
            mrc_log("StandIn property %s=%s", g_config.propertyKey, isNull(value) ? "(null)" : value->toUtf8().c_str());
        }
        if (g_config.gameThread) {
            mrc::test::g_running.store(true);
            if (auto* thread = mrc::newObject<java_lang_Thread>()) {
                thread->priority = 5;
                thread->target = canvas;
                thread->start();
            }
        }
        return;
    }
    if (paused) {
        paused = false;
        uint64_t before = mrc::test::standInPaints();
        mrc::ApplicationImpl::getInstance()->flushScreen();
        mrc_log("StandIn resume %s", mrc::test::standInPaints() > before ? "repainted" : "did not repaint");
    }
}

void StandInMidlet::pauseApp() {
    mrc_log("StandIn pauseApp");
    paused = true;
}

void StandInMidlet::destroyApp(bool unconditional) {
    mrc_log("StandIn destroyApp(%s)", unconditional ? "true" : "false");
    mrc::test::g_running.store(false);
}
