// Scripted input for unattended runs (--input FILE): the device's user as a text file.
//
// One event per line:  <when> <event>
//
//   <when>   N      once the window has presented N frames (0: at once)
//            Nms    once the tick count has reached N milliseconds
//   <event>  key down|up|tap KEY     KEY: RETURN, ESCAPE, HOME, LEFT, UP, RIGHT, DOWN, NUMPAD0..NUMPAD9,
//                                    F1..F12, A..Z, 0..9, SPACE, BACK, TAB, LWIN, RWIN, or a code
//                                    1..254 (decimal or 0x hex); tap is down then up
//            pen down|up|move X Y    screen position, 0 <= X < 800, 0 <= Y < 480
//            focus lost|gained
//            power attended|unattended|unavailable
//            orientation 0|1|2|4
//            language ID             user interface language id, decimal or 0x hex (0x0407)
//            setting change          a SettingChange message alone
//            close                   the window's close button
//
// Example:
//   0 focus gained
//   10 key tap RETURN
//   1500ms pen down 400 240
//   1520ms pen up 400 240
//   40 power unattended
//
// Lines run in file order: a line is due when its time has come and every line before it has run.
// In fixed-step runs (host::frameStep()) the clock moves only as frames are presented, and a frame
// starts only once the lines due by the frames before it have been dispatched
// (Window::awaitDueInput), so a run repeats exactly; while the window has no focus or the device is
// unattended (so no frame comes), the clock moves on to the next line given in milliseconds.
// Words are separated by blanks and case-insensitive; blank lines and text from '#' on are skipped.
// A bad line is traced as "input FILE:LINE: REASON: TEXT" (bytes outside printable ASCII, and the
// backslash, as \xNN) and skipped; the others still run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/window/message.h"
#include "host/window/system.h"

namespace host {

struct ScriptEvent {
    enum class Kind { Key, Pen, Focus, Power, Orientation, Language, SettingChange, Close };

    int line = 0;
    bool inMilliseconds = false;
    uint64_t when = 0;
    Kind kind = Kind::Close;
    uint32_t key = 0;             // Key
    bool on = false;              // Key: down; Focus: gained
    PenAction pen = PenAction::Down;
    int x = 0, y = 0;             // Pen
    PowerState power = PowerState::Attended;
    uint32_t value = 0;           // Orientation, Language

    bool operator==(const ScriptEvent&) const = default;
};

class ScriptedInput {
public:
    ScriptedInput() = default;

    static ScriptedInput parse(std::string_view text, std::string_view source = "input");
    // nullopt, with a trace, when the file cannot be read.
    static std::optional<ScriptedInput> load(const std::string& path);

    const std::vector<ScriptEvent>& events() const { return m_events; }
    std::size_t badLines() const { return m_badLines; }

    // The next events that are due, in file order; each is handed out once.
    std::vector<ScriptEvent> takeDue(uint64_t framesPresented, uint32_t tick);
    // Whether takeDue would hand out a line now.
    bool hasDue(uint64_t framesPresented, uint32_t tick) const;
    // The next line's time when it is given in milliseconds.
    std::optional<uint32_t> nextTime() const;
    bool finished() const { return m_next >= m_events.size(); }

private:
    std::vector<ScriptEvent> m_events;
    std::size_t m_next = 0;
    std::size_t m_badLines = 0;
};

}  // namespace host
