// What the players share: the native exception that carries a Java exception out of a player's
// inner steps, and the folder behind the device's "\temp".
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

class java_lang_Throwable;

namespace mrc::media {

// Thrown by a player's inner steps and caught where the Java-facing method returns (see
// javaBoundary); it never crosses translated code. From the throw on the throwable is the calling
// thread's pending exception, so the collector keeps it while the C++ exception unwinds.
class JavaException {
public:
    explicit JavaException(java_lang_Throwable* throwable) : m_throwable(throwable) {}
    java_lang_Throwable* throwable() const { return m_throwable; }
    // Leaves the throwable pending for the translated caller.
    void raise() const;

private:
    java_lang_Throwable* m_throwable;
};

// Throws a JavaException carrying a new java_lang_IllegalStateException.
[[noreturn]] void throwIllegalState();

// Runs a Java-facing method's body; a JavaException becomes the pending exception and the method
// returns `fallback`.
template <class R, class Body>
R javaBoundary(R fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (const JavaException& e) {
        e.raise();
        return fallback;
    }
}

// The device names its temporary files "\temp\sound<n>.<ext>". Here they live in a real folder:
// by default "temp" in the save folder; tests give each run its own.
void setTemporaryFolder(const std::filesystem::path& folder);
std::filesystem::path temporaryFolder();
// "\temp\sound<number>.<extension>", as long as the number needs.
std::string temporaryFileName(int32_t number, const char* extension);
// The real file of a name made by temporaryFileName; its folder is created when missing.
std::filesystem::path temporaryFilePath(const std::string& deviceName);

}  // namespace mrc::media
