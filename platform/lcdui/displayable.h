// javax.microedition.lcdui Display, Displayable, Canvas and game.GameCanvas, as MIDP 2.0 gives
// them, with what the runtime makes particular: the current Displayable lives in the Application
// record, a repaint paints synchronously on the calling thread and presents the frame, and the
// screen is the 800 × 480 screen image.
//
// Displayable slots after Object's six, as the runtime calls them: 6 getWidth, 7 getHeight,
// 8 sizeChanged, 9 keyPressed, 10 keyRepeated, 11 keyReleased, 12 pointerPressed,
// 13 pointerReleased, 14 pointerDragged, 15 showNotify, 16 hideNotify, 17 paint.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class javax_microedition_lcdui_Graphics;
class javax_microedition_lcdui_Image;
class javax_microedition_midlet_MIDlet;

class javax_microedition_lcdui_Displayable : public Object {
public:
    MRC_CLASS(javax_microedition_lcdui_Displayable, Object);

    // The screen image's size (800 × 480).
    virtual int32_t getWidth();                                  // slot 6
    virtual int32_t getHeight();                                 // slot 7
    virtual void sizeChanged(int32_t, int32_t) {}                // slot 8
    virtual void keyPressed(int32_t) {}                          // slot 9
    virtual void keyRepeated(int32_t) {}                         // slot 10: never called
    virtual void keyReleased(int32_t) {}                         // slot 11
    virtual void pointerPressed(int32_t, int32_t) {}             // slot 12
    virtual void pointerReleased(int32_t, int32_t) {}            // slot 13
    virtual void pointerDragged(int32_t, int32_t) {}             // slot 14
    virtual void showNotify() {}                                 // slot 15
    virtual void hideNotify() {}                                 // slot 16
    virtual void paint(javax_microedition_lcdui_Graphics*) {}    // slot 17

    // The current Displayable of the Application.
    bool isShown();
    // Commands and their listener: the game's canvas has none.
    void addCommand(Object*) {}
    void removeCommand(Object*) {}
    void setCommandListener(Object*) {}
};

class javax_microedition_lcdui_Canvas : public javax_microedition_lcdui_Displayable {
public:
    MRC_CLASS(javax_microedition_lcdui_Canvas, javax_microedition_lcdui_Displayable);

    // The repaint service: ApplicationImpl::flushScreen, whatever the region.
    void repaint();
    void repaint(int32_t, int32_t, int32_t, int32_t) { repaint(); }
    // Repaints are synchronous: none is ever outstanding.
    void serviceRepaints() {}
    void setFullScreenMode(bool) {}
    bool hasPointerEvents() { return true; }
    bool hasPointerMotionEvents() { return true; }
    bool hasRepeatEvents() { return false; }
    bool isDoubleBuffered() { return true; }
    int32_t getGameAction(int32_t) { return 0; }
    int32_t getKeyCode(int32_t) { return 0; }
};

class javax_microedition_lcdui_game_GameCanvas : public javax_microedition_lcdui_Canvas {
public:
    MRC_CLASS(javax_microedition_lcdui_game_GameCanvas, javax_microedition_lcdui_Canvas);
    MRC_REF_FIELDS(&javax_microedition_lcdui_game_GameCanvas::offscreen);

    // The Java constructor: the off-screen image of the canvas's size.
    void GameCanvas(bool suppressKeyEvents);

    // Draws the off-screen image at (0, 0).
    void paint(javax_microedition_lcdui_Graphics* g) override;
    // A new Graphics over the off-screen image.
    javax_microedition_lcdui_Graphics* getGraphics();
    // Draws the off-screen image into the screen Graphics inside the region (the whole canvas
    // for the first), then puts the screen clip back. Neither presents the display.
    void flushGraphics();
    void flushGraphics(int32_t x, int32_t y, int32_t w, int32_t h);
    int32_t getKeyStates() { return 0; }

    javax_microedition_lcdui_Image* offscreen;
};

class javax_microedition_lcdui_Display : public Object {
public:
    MRC_CLASS(javax_microedition_lcdui_Display, Object);

    // A new Display at every call; null when the heap is exhausted.
    static javax_microedition_lcdui_Display* getDisplay(javax_microedition_midlet_MIDlet* midlet);

    void setCurrent(javax_microedition_lcdui_Displayable* displayable);
    javax_microedition_lcdui_Displayable* getCurrent();
    bool isColor() { return true; }
    int32_t numColors() { return 0x10000; }
    bool flashBacklight(int32_t) { return false; }
    bool vibrate(int32_t) { return false; }
    // Nothing runs serial calls: the game never asks for them.
    void callSerially(Object*) {}
};
