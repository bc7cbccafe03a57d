#include "host/window/keys.h"

#include <cctype>
#include <charconv>

namespace host::vk {
namespace {

struct Named {
    const char* name;
    uint32_t key;
};

constexpr Named kNamed[] = {
    {"RETURN", Return}, {"ENTER", Return},    {"ESCAPE", Escape},     {"HOME", Home},
    {"LEFT", Left},     {"UP", Up},           {"RIGHT", Right},       {"DOWN", Down},
    {"SPACE", Space},   {"BACK", Back},       {"TAB", Tab},           {"SHIFT", Shift},
    {"CONTROL", Control}, {"LWIN", LeftWindows}, {"RWIN", RightWindows}, {"MULTIPLY", Multiply},
    {"ADD", Add},       {"SUBTRACT", Subtract}, {"DECIMAL", Decimal}, {"DIVIDE", Divide},
    {"PROCESSKEY", ProcessKey},
};

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != static_cast<unsigned char>(b[i])) return false;
    return true;
}

// Digits after a prefix ("F12", "NUMPAD7"), or -1.
int suffixNumber(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || !equalsIgnoreCase(name.substr(0, prefix.size()), prefix)) return -1;
    int value = 0;
    auto rest = name.substr(prefix.size());
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (ec != std::errc() || end != rest.data() + rest.size()) return -1;
    return value;
}

}  // namespace

uint32_t fromName(std::string_view name) {
    if (name.empty()) return 0;
    for (const auto& n : kNamed)
        if (equalsIgnoreCase(name, n.name)) return n.key;
    if (name.size() == 1) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
        if (c >= 'A' && c <= 'Z') return letter(c);
        if (c >= '0' && c <= '9') return digit(c - '0');
        return 0;
    }
    if (int n = suffixNumber(name, "NUMPAD"); n >= 0) return n <= 9 ? numpad(n) : 0;
    if (int n = suffixNumber(name, "F"); n >= 0) return n >= 1 && n <= 12 ? function(n) : 0;

    int base = 10;
    if (name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
        name.remove_prefix(2);
        base = 16;
    }
    uint32_t value = 0;
    auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), value, base);
    if (ec != std::errc() || end != name.data() + name.size() || value < 1 || value > 254) return 0;
    return value;
}

std::string name(uint32_t key) {
    for (const auto& n : kNamed)
        if (n.key == key) return n.name;
    if (key >= LetterA && key <= letter('Z')) return std::string(1, static_cast<char>(key));
    if (key >= Digit0 && key <= digit(9)) return std::string(1, static_cast<char>(key));
    if (key >= Numpad0 && key <= numpad(9)) return "NUMPAD" + std::to_string(key - Numpad0);
    if (key >= F1 && key <= F12) return "F" + std::to_string(key - F1 + 1);
    // One decimal digit would read back as the digit key ('4' is 0x34): write those in hex.
    if (key < 10) return "0x" + std::to_string(key);
    return std::to_string(key);
}

}  // namespace host::vk
