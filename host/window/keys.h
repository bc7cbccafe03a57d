// Virtual key codes of the device's keyboard and keypad. Codes are plain integers because the shell
// passes keys it does not know through unchanged (letters and digits are their own ASCII codes).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace host::vk {

inline constexpr uint32_t Back = 8;
inline constexpr uint32_t Tab = 9;
inline constexpr uint32_t Return = 13;
inline constexpr uint32_t Shift = 16;
inline constexpr uint32_t Control = 17;
inline constexpr uint32_t Escape = 27;
inline constexpr uint32_t Space = 32;
inline constexpr uint32_t Home = 36;
inline constexpr uint32_t Left = 37;
inline constexpr uint32_t Up = 38;
inline constexpr uint32_t Right = 39;
inline constexpr uint32_t Down = 40;
inline constexpr uint32_t Digit0 = 48;   // '0'..'9' are 48..57
inline constexpr uint32_t LetterA = 65;  // 'A'..'Z' are 65..90
inline constexpr uint32_t LeftWindows = 91;
inline constexpr uint32_t RightWindows = 92;
inline constexpr uint32_t Numpad0 = 96;  // numpad 0..9 are 96..105
inline constexpr uint32_t Multiply = 106;
inline constexpr uint32_t Add = 107;
inline constexpr uint32_t Subtract = 109;
inline constexpr uint32_t Decimal = 110;
inline constexpr uint32_t Divide = 111;
inline constexpr uint32_t F1 = 112;      // F1..F12 are 112..123
inline constexpr uint32_t F2 = 113;
inline constexpr uint32_t F3 = 114;
inline constexpr uint32_t F4 = 115;
inline constexpr uint32_t F5 = 116;
inline constexpr uint32_t F6 = 117;      // volume up on the device
inline constexpr uint32_t F7 = 118;      // volume down on the device
inline constexpr uint32_t F8 = 119;
inline constexpr uint32_t F9 = 120;
inline constexpr uint32_t F12 = 123;
inline constexpr uint32_t ProcessKey = 229;  // key taken by the input method

constexpr uint32_t digit(int d) { return Digit0 + static_cast<uint32_t>(d); }
constexpr uint32_t letter(char c) { return LetterA + static_cast<uint32_t>(c - 'A'); }
constexpr uint32_t numpad(int d) { return Numpad0 + static_cast<uint32_t>(d); }
constexpr uint32_t function(int n) { return F1 + static_cast<uint32_t>(n - 1); }

// Key by name, as scripts write it: RETURN, ESCAPE, HOME, LEFT, UP, RIGHT, DOWN, NUMPAD0..NUMPAD9,
// F1..F12, A..Z, 0..9, SPACE, BACK, TAB, LWIN, RWIN (case-insensitive), or a number 1..254
// (decimal or 0x hex). 0 when the name is unknown.
uint32_t fromName(std::string_view name);

// Name of a key for traces, as fromName reads it; the decimal number for keys without one.
std::string name(uint32_t key);

}  // namespace host::vk
