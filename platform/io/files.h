// Start-up of the file services: where the device's install folder lies, and the resource opener
// through which the runtime reads "/constants.bin" from the data archive.
#pragma once

#include <filesystem>

namespace mrc::platform {

// Maps the install folder onto `dataDir` (read only: data.bar and loose files) and `saveDir`
// (everything written: the record stores; host::fs::defaultSaveFolder() when empty), installs
// Class::getResourceAsStream as the StaticClass resource opener and registers the archive's
// statics. Call before the runtime starts (StaticClass::initialize reads the constants through
// the opener); calling it again re-maps the folders.
void initFiles(const std::filesystem::path& dataDir, const std::filesystem::path& saveDir = {});

}  // namespace mrc::platform
