#include "platform/io/files.h"

#include "host/fs/paths.h"
#include "platform/io/resource_archive.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"

namespace mrc::platform {

namespace {

java_io_InputStream* openResource(const char* name) {
    String* text = newString(name);
    return text ? Class::getResourceAsStream(text) : nullptr;
}

}  // namespace

void initFiles(const std::filesystem::path& dataDir, const std::filesystem::path& saveDir) {
    host::fs::setFolders({dataDir, saveDir.empty() ? host::fs::defaultSaveFolder() : saveDir});
    ResourceArchive::registerStatics();
    StaticClass::setResourceOpener(&openResource);
}

}  // namespace mrc::platform
