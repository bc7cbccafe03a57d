// System services the shell asks of the device besides its window: power state, display
// orientation, user interface language, memory status and opening a URL in the browser.
// Process-wide; safe to call from any thread. The setters are how headless runs and scripted input
// play the device's part.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// How the services behave: Sdl is a desktop (the URL opener runs, the language comes from the
// locale); Headless records URL requests and answers English. Headless until selected.
enum class Backend { Headless, Sdl };
void selectBackend(Backend backend);
Backend selectedBackend();

// Power: Unattended is the device running with its screen off; Unavailable is a failed query.
// A desktop is always attended unless a state is injected.
enum class PowerState { Attended, Unattended, Unavailable };
PowerState powerState();
void setPowerState(PowerState state);

// Display orientation codes of the device.
namespace orientation {
inline constexpr uint32_t Default = 0;
inline constexpr uint32_t Rotated90 = 1;
inline constexpr uint32_t Rotated180 = 2;
inline constexpr uint32_t Rotated270 = 4;
}  // namespace orientation

// Starts at Default, as the device does before the program turns it.
uint32_t displayOrientation();
// False (with a trace) for an unknown code. A change posts SettingChange to the main window, as
// the device announces it to every window.
bool setDisplayOrientation(uint32_t code);
// Posts SettingChange to the main window without changing anything (a setting the shell ignores).
void announceSettingChange();

// User interface language as a language id: primary language in the low 10 bits, sublanguage
// above (0x0409 English, 0x0407 German, 0x0405 Czech, 0x040A Spanish, 0x040C French, 0x0416
// Portuguese). An injected value wins; else Sdl reads LC_ALL, LC_MESSAGES or LANG, Headless 0x0409.
uint16_t userInterfaceLanguage();
void setUserInterfaceLanguage(std::optional<uint16_t> languageId);
// "de_DE.UTF-8" → 0x0407; "C", "POSIX", empty or unknown languages → 0x0409.
uint16_t languageIdFromLocale(std::string_view locale);

struct MemoryStatus {
    uint64_t totalPhysical = 0;
    uint64_t availablePhysical = 0;
};
MemoryStatus memoryStatus();

// Opens a URL in the desktop's browser (Sdl: the opener command with the URL as its one argument,
// not waited for) or records it (Headless). False, with a trace, for an empty URL, one with control
// characters or a leading '-', or when the opener cannot start.
bool openUrl(const std::string& url);
std::vector<std::string> urlRequests();
void clearUrlRequests();
// The opener program, "xdg-open" unless changed.
void setUrlOpener(std::string program);

// Back to the start-up values: Headless, attended, orientation Default, no language, no requests,
// "xdg-open". For tests.
void resetSystemState();

}  // namespace host
