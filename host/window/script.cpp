#include "host/window/script.h"

#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/core/log.h"
#include "host/window/geometry.h"
#include "host/window/keys.h"

namespace host {
namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

// The line as it can be shown on a terminal: bytes outside printable ASCII (and the backslash)
// as \xNN.
std::string escaped(std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            out.push_back(c);
        } else {
            out += "\\x";
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 15]);
        }
    }
    return out;
}

// Whole-word number, decimal or 0x hex.
template <typename T>
bool number(std::string_view text, T& out) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

// Fills the event from the words after <when>, or returns why it cannot.
const char* parseEvent(const std::vector<std::string_view>& w, ScriptEvent& e, bool& tap) {
    std::string verb = lower(w[1]);
    std::size_t n = w.size();
    auto arg = [&](std::size_t i) { return lower(w[i]); };

    if (verb == "key") {
        if (n != 4) return "key needs down, up or tap and a key";
        std::string motion = arg(2);
        if (motion != "down" && motion != "up" && motion != "tap") return "key motion is not down, up or tap";
        e.kind = ScriptEvent::Kind::Key;
        e.key = vk::fromName(w[3]);
        if (e.key == 0) return "unknown key";
        e.on = motion != "up";
        tap = motion == "tap";
        return nullptr;
    }
    if (verb == "pen") {
        if (n != 5) return "pen needs down, up or move and a position";
        std::string motion = arg(2);
        if (motion == "down") e.pen = PenAction::Down;
        else if (motion == "up") e.pen = PenAction::Up;
        else if (motion == "move") e.pen = PenAction::Move;
        else return "pen motion is not down, up or move";
        if (!number(w[3], e.x) || !number(w[4], e.y)) return "pen position is not two numbers";
        if (e.x >= kScreenWidth || e.y >= kScreenHeight) return "pen position outside the 800x480 screen";
        e.kind = ScriptEvent::Kind::Pen;
        return nullptr;
    }
    if (verb == "focus") {
        if (n != 3) return "focus needs lost or gained";
        std::string what = arg(2);
        if (what != "lost" && what != "gained") return "focus is not lost or gained";
        e.kind = ScriptEvent::Kind::Focus;
        e.on = what == "gained";
        return nullptr;
    }
    if (verb == "power") {
        if (n != 3) return "power needs a state";
        std::string what = arg(2);
        if (what == "attended") e.power = PowerState::Attended;
        else if (what == "unattended") e.power = PowerState::Unattended;
        else if (what == "unavailable") e.power = PowerState::Unavailable;
        else return "power state is not attended, unattended or unavailable";
        e.kind = ScriptEvent::Kind::Power;
        return nullptr;
    }
    if (verb == "orientation") {
        if (n != 3 || !number(w[2], e.value)) return "orientation needs a number";
        if (e.value != 0 && e.value != 1 && e.value != 2 && e.value != 4) return "orientation is not 0, 1, 2 or 4";
        e.kind = ScriptEvent::Kind::Orientation;
        return nullptr;
    }
    if (verb == "language") {
        if (n != 3 || !number(w[2], e.value) || e.value == 0 || e.value > 0xFFFF) return "language needs an id 1..0xFFFF";
        e.kind = ScriptEvent::Kind::Language;
        return nullptr;
    }
    if (verb == "setting") {
        if (n != 3 || arg(2) != "change") return "setting needs change";
        e.kind = ScriptEvent::Kind::SettingChange;
        return nullptr;
    }
    if (verb == "close") {
        if (n != 2) return "close takes nothing";
        e.kind = ScriptEvent::Kind::Close;
        return nullptr;
    }
    return "unknown event";
}

const char* parseWhen(std::string_view text, ScriptEvent& e) {
    if (text.size() > 2 && lower(text.substr(text.size() - 2)) == "ms") {
        e.inMilliseconds = true;
        text.remove_suffix(2);
        uint32_t ms = 0;
        if (!number(text, ms)) return "time is not a number of milliseconds";
        e.when = ms;
        return nullptr;
    }
    if (!number(text, e.when)) return "time is not a frame number or Nms";
    return nullptr;
}

}  // namespace

ScriptedInput ScriptedInput::parse(std::string_view text, std::string_view source) {
    ScriptedInput script;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view raw = text.substr(pos, eol - pos);
        pos = eol + 1;
        ++lineNo;

        std::string_view content = raw.substr(0, raw.find('#'));
        auto w = words(content);
        if (w.empty()) continue;

        ScriptEvent e;
        e.line = lineNo;
        bool tap = false;
        const char* error = parseWhen(w[0], e);
        if (!error && w.size() < 2) error = "no event after the time";
        if (!error) error = parseEvent(w, e, tap);
        if (error) {
            std::string_view trimmed = raw;
            while (!trimmed.empty() && (trimmed.back() == '\r' || trimmed.back() == ' ')) trimmed.remove_suffix(1);
            mrc_log("input %.*s:%d: %s: %s", static_cast<int>(source.size()), source.data(), lineNo, error,
                    escaped(trimmed).c_str());
            ++script.m_badLines;
            continue;
        }
        script.m_events.push_back(e);
        if (tap) {
            e.on = false;
            script.m_events.push_back(e);
        }
    }
    return script;
}

std::optional<ScriptedInput> ScriptedInput::load(const std::string& path) {
    std::error_code ec;
    std::ifstream in;
    if (!std::filesystem::is_directory(path, ec)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        mrc_log("input %s: cannot be read", path.c_str());
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str(), path);
}

namespace {

bool isDue(const ScriptEvent& e, uint64_t framesPresented, uint32_t tick) {
    return e.inMilliseconds ? tick >= e.when : framesPresented >= e.when;
}

}  // namespace

bool ScriptedInput::hasDue(uint64_t framesPresented, uint32_t tick) const {
    return m_next < m_events.size() && isDue(m_events[m_next], framesPresented, tick);
}

std::optional<uint32_t> ScriptedInput::nextTime() const {
    if (m_next >= m_events.size() || !m_events[m_next].inMilliseconds) return std::nullopt;
    return static_cast<uint32_t>(m_events[m_next].when);
}

std::vector<ScriptEvent> ScriptedInput::takeDue(uint64_t framesPresented, uint32_t tick) {
    std::vector<ScriptEvent> due;
    while (m_next < m_events.size()) {
        const ScriptEvent& e = m_events[m_next];
        if (!isDue(e, framesPresented, tick)) break;
        due.push_back(e);
        ++m_next;
    }
    return due;
}

}  // namespace host
