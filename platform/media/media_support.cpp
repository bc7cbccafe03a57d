#include "platform/media/media_support.h"

#include <mutex>
#include <system_error>

#include "host/core/log.h"
#include "host/fs/paths.h"
#include "platform/media/player.h"
#include "runtime/core/application.h"
#include "runtime/lang/throwable.h"

namespace mrc::media {

void JavaException::raise() const {
    if (m_throwable) ApplicationImpl::getApplication()->setPendingException(m_throwable);
}

void throwIllegalState() {
    java_lang_Throwable* e = newException(kClass_java_lang_IllegalStateException);
    java_lang_Throwable::fillInStackTrace(e);  // pending from here on: a root while it unwinds
    throw JavaException(e);
}

javax_microedition_media_Player* playerOf(Object* player) {
    if (isNull(player)) return nullptr;
    return static_cast<javax_microedition_media_Player*>(
        player->getInterface(kClass_javax_microedition_media_Player));
}

namespace {

std::mutex g_folderMutex;
std::filesystem::path g_folder;

}  // namespace

void setTemporaryFolder(const std::filesystem::path& folder) {
    std::lock_guard lock(g_folderMutex);
    g_folder = folder;
}

std::filesystem::path temporaryFolder() {
    {
        std::lock_guard lock(g_folderMutex);
        if (!g_folder.empty()) return g_folder;
    }
    return host::fs::folders().save / "temp";
}

std::string temporaryFileName(int32_t number, const char* extension) {
    return "\\temp\\sound" + std::to_string(number) + "." + extension;
}

std::filesystem::path temporaryFilePath(const std::string& deviceName) {
    std::filesystem::path folder = temporaryFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) mrc_log("media: cannot create the temporary folder \"%s\"", folder.c_str());
    std::size_t slash = deviceName.find_last_of('\\');
    return folder / deviceName.substr(slash == std::string::npos ? 0 : slash + 1);
}

}  // namespace mrc::media
