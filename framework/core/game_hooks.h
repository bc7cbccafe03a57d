// The services of the game that the framework calls before the game's own classes exist, one
// function pointer each, named after the service. The game fills them at start-up; tests install
// stand-ins. An empty hook does nothing unless its comment says otherwise (GameBase calls them).
#pragma once

#include <cstdint>

class ASprite;
class ASpriteInstance;
class IntArray;
class javax_microedition_lcdui_Graphics;
class javax_microedition_lcdui_Image;
class Object;
class QXLib;
class javax_microedition_lcdui_Display;
class javax_microedition_midlet_MIDlet;

struct GameHooks {
    using Graphics = javax_microedition_lcdui_Graphics;

    // Effect switches: ORs bits into paintEffectFlags (and the game's own companions of them);
    // clears bits. Empty: the bits of paintEffectFlags alone.
    void (*setFlags)(int32_t bits) = nullptr;
    void (*clearFlag)(int32_t bits) = nullptr;

    // Marker modules: the attachment described by paintEffectParams[3], in place of an outline
    // module of colour 0xFF00FF.
    void (*paintEffectSpriteFrame)(Graphics* g) = nullptr;
    // Gradient bands along one side, in place of a filled module of colour 0xFF01FF.
    void (*paintGradientEdges)(Graphics* g, int32_t x, int32_t y, int32_t w, int32_t h) = nullptr;
    // The next queued particle, in place of an outline module of colour 0x00FF00 (effect bit 0x0800).
    void (*emitQueuedParticleAt)(Graphics* g, int32_t x, int32_t y) = nullptr;
    // A light sweep over a pixel-cached module just drawn (effect bit 0x0004).
    void (*drawRGBColumnBand)(Graphics* g, int32_t x, int32_t y, IntArray* pixels, int32_t w, int32_t h) = nullptr;

    // The game's sprite table.
    ASprite* (*loadSprite)(ASprite* sprite, int32_t resource, int32_t entry, int32_t palette, int32_t mode,
                           bool trace) = nullptr;
    ASprite* (*getSprite)(int32_t n) = nullptr;

    // The game's statics that the pixel effects read: the off-screen picture the blend routes read
    // under a module, and the pixel work buffer (int[102400]) that serves as effect buffer while
    // the shared decoding buffer does not exist.
    javax_microedition_lcdui_Image* (*offScreenImage)() = nullptr;
    IntArray* (*pixelWorkBuffer)() = nullptr;

    // The game's display mode: in mode 2 the background buffer shows the last frame of each
    // tile animation instead of the first. Empty: mode 0.
    int32_t (*displayMode)() = nullptr;
    // Logic steps since the current game state began (the line-by-line text reveal counts
    // them). Empty: 0.
    int32_t (*stateTicks)() = nullptr;

    // The sprite instance of a game object (a CObject), or null. Empty: null.
    ASpriteInstance* (*objectInstance)(Object* object) = nullptr;

    // The game canvas's Java constructor, run by KetraKRVD::startApp on the canvas it allocated
    // (a Game, through the class factory). Empty: no game is built in, and the application stops.
    void (*initGame)(QXLib* canvas, javax_microedition_midlet_MIDlet* midlet,
                     javax_microedition_lcdui_Display* display) = nullptr;
};

// The one registry.
GameHooks& gameHooks();
