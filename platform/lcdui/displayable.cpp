#include "platform/lcdui/displayable.h"

#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"

using mrc::ApplicationImpl;

namespace {

javax_microedition_lcdui_Image* screenImage() {
    mrc::Application* app = ApplicationImpl::getApplication();
    return app ? static_cast<javax_microedition_lcdui_Image*>(app->screenImage) : nullptr;
}

javax_microedition_lcdui_Graphics* screenGraphics() {
    mrc::Application* app = ApplicationImpl::getApplication();
    return app ? static_cast<javax_microedition_lcdui_Graphics*>(app->screenGraphics) : nullptr;
}

}  // namespace

int32_t javax_microedition_lcdui_Displayable::getWidth() {
    javax_microedition_lcdui_Image* screen = screenImage();
    return isNull(screen) ? 0 : screen->getWidth();
}

int32_t javax_microedition_lcdui_Displayable::getHeight() {
    javax_microedition_lcdui_Image* screen = screenImage();
    return isNull(screen) ? 0 : screen->getHeight();
}

bool javax_microedition_lcdui_Displayable::isShown() {
    mrc::Application* app = ApplicationImpl::getApplication();
    return app && app->current == this;
}

void javax_microedition_lcdui_Canvas::repaint() { ApplicationImpl::getInstance()->flushScreen(); }

// ---- GameCanvas -----------------------------------------------------------------------------

void javax_microedition_lcdui_game_GameCanvas::GameCanvas(bool) {
    offscreen = javax_microedition_lcdui_Image::createBlankImage(getWidth(), getHeight());
}

void javax_microedition_lcdui_game_GameCanvas::paint(javax_microedition_lcdui_Graphics* g) {
    if (isNull(g) || isNull(offscreen)) return;
    g->drawImage(offscreen, 0, 0, 0);
}

javax_microedition_lcdui_Graphics* javax_microedition_lcdui_game_GameCanvas::getGraphics() {
    if (isNull(offscreen)) return nullptr;
    return javax_microedition_lcdui_Graphics::newGraphics(offscreen);
}

void javax_microedition_lcdui_game_GameCanvas::flushGraphics() { flushGraphics(0, 0, getWidth(), getHeight()); }

void javax_microedition_lcdui_game_GameCanvas::flushGraphics(int32_t x, int32_t y, int32_t w, int32_t h) {
    javax_microedition_lcdui_Graphics* g = screenGraphics();
    if (isNull(g) || isNull(offscreen)) return;
    int32_t clipX = g->getClipX(), clipY = g->getClipY();
    int32_t clipW = g->getClipWidth(), clipH = g->getClipHeight();
    g->setClip(x, y, w, h);
    g->drawImage(offscreen, 0, 0, 0);
    g->setClip(clipX, clipY, clipW, clipH);
}

// ---- Display --------------------------------------------------------------------------------

javax_microedition_lcdui_Display* javax_microedition_lcdui_Display::getDisplay(javax_microedition_midlet_MIDlet*) {
    return mrc::newObject<javax_microedition_lcdui_Display>();
}

void javax_microedition_lcdui_Display::setCurrent(javax_microedition_lcdui_Displayable* displayable) {
    if (mrc::Application* app = ApplicationImpl::getApplication()) app->setCurrentDisplayable(displayable);
}

javax_microedition_lcdui_Displayable* javax_microedition_lcdui_Display::getCurrent() {
    mrc::Application* app = ApplicationImpl::getApplication();
    return app ? static_cast<javax_microedition_lcdui_Displayable*>(app->current) : nullptr;
}
