// Messages of the main window. Ids carry the device's message numbers so that traces read the same.
#pragma once

#include <cstdint>

namespace host {

enum class MessageId : uint32_t {
    None = 0,
    Create = 1,          // sent once while the window opens
    Destroy = 2,         // sent once while the window is destroyed
    Activate = 6,        // value: 1 the window became the active one, 0 it stopped being it
    SetFocus = 7,        // keyboard focus gained (follows Activate 1)
    KillFocus = 8,       // keyboard focus lost (follows Activate 0)
    Close = 16,          // the user or the system asks the window to close
    Quit = 18,           // value: exit code; returned by peek, never dispatched
    SettingChange = 26,  // a system setting (display orientation) changed
    CancelMode = 31,
    KeyDown = 256,       // key: virtual key code (host/window/keys.h)
    KeyUp = 257,
    PenMove = 512,       // x, y: screen position, 0..799 × 0..479; only while the pen is down
    PenDown = 513,
    PenUp = 514,
};

struct Message {
    MessageId id = MessageId::None;
    uint32_t key = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t value = 0;

    bool operator==(const Message&) const = default;
};

enum class PenAction { Down, Up, Move };

inline Message keyMessage(uint32_t key, bool down) {
    return {down ? MessageId::KeyDown : MessageId::KeyUp, key, 0, 0, 0};
}

inline Message penMessage(PenAction action, int x, int y) {
    MessageId id = action == PenAction::Down ? MessageId::PenDown
                   : action == PenAction::Up ? MessageId::PenUp
                                             : MessageId::PenMove;
    return {id, 0, x, y, 0};
}

// "KeyDown" etc. for traces; "Message(n)" text is not built, unknown ids give "Unknown".
const char* messageName(MessageId id);

}  // namespace host
