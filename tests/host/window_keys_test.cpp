#include <gtest/gtest.h>

#include <SDL.h>

#include "host/sdl/sdl_keys.h"
#include "host/window/keys.h"

namespace {

TEST(SdlKeyMap, DesktopKeysBecomeTheDevicesVirtualKeys) {
    struct Case {
        SDL_Keycode sdl;
        uint32_t vk;
    };
    const Case cases[] = {
        {SDLK_RETURN, 13},   {SDLK_KP_ENTER, 13}, {SDLK_LEFT, 37},     {SDLK_UP, 38},     {SDLK_RIGHT, 39},
        {SDLK_DOWN, 40},     {SDLK_KP_0, 96},     {SDLK_KP_1, 97},     {SDLK_KP_5, 101},  {SDLK_KP_9, 105},
        {SDLK_F1, 112},      {SDLK_F2, 113},      {SDLK_F3, 114},      {SDLK_F4, 115},    {SDLK_F6, 117},
        {SDLK_F7, 118},      {SDLK_F8, 119},      {SDLK_F9, 120},      {SDLK_a, 65},      {SDLK_m, 77},
        {SDLK_z, 90},        {SDLK_0, 48},        {SDLK_7, 55},        {SDLK_9, 57},      {SDLK_ESCAPE, 27},
        {SDLK_HOME, 36},     {SDLK_KP_MULTIPLY, 119}, {SDLK_HASH, 120}, {SDLK_VOLUMEUP, 117},
        {SDLK_VOLUMEDOWN, 118}, {SDLK_BACKSPACE, 8}, {SDLK_SPACE, 32},
        // No use on the device, or owned by the desktop.
        {SDLK_LSHIFT, 0},    {SDLK_LGUI, 0},      {SDLK_CAPSLOCK, 0},  {SDLK_PRINTSCREEN, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(host::virtualKeyFromSdl(c.sdl), c.vk) << SDL_GetKeyName(c.sdl);
}

TEST(VirtualKeyNames, NamesAndNumbersReadBothWays) {
    struct Case {
        const char* name;
        uint32_t vk;
    };
    const Case cases[] = {
        {"RETURN", 13}, {"enter", 13}, {"Escape", 27}, {"HOME", 36},   {"LEFT", 37},  {"up", 38},
        {"RIGHT", 39},  {"DOWN", 40},  {"NUMPAD0", 96}, {"numpad9", 105}, {"F1", 112}, {"f9", 120},
        {"F12", 123},   {"A", 65},     {"z", 90},      {"0", 48},      {"9", 57},     {"LWIN", 91},
        {"65", 65},     {"0x0D", 13},  {"254", 254},
        {"", 0},        {"F13", 0},    {"F0", 0},      {"NUMPAD10", 0}, {"0", 48},    {"255", 0},
        {"-1", 0},      {"RETURNX", 0}, {"!", 0},      {"0x", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(host::vk::fromName(c.name), c.vk) << '"' << c.name << '"';

    // Every code reads back, those with no name of one digit included.
    for (uint32_t key = 1; key <= 254; ++key) EXPECT_EQ(host::vk::fromName(host::vk::name(key)), key) << host::vk::name(key);
    EXPECT_EQ(host::vk::name(13), "RETURN");
    EXPECT_EQ(host::vk::name(200), "200");
}

}  // namespace
