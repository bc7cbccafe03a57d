// Device paths onto real folders.
//
// The program names its files as the device does: "\Program Files\Veltrano\Wrath Of Kelos\data.bar",
// with '\' or '/' between the parts and no regard for the case of the letters A-Z. Here the install
// folder is two real folders seen as one: the data folder (read only: data.bar and loose files) and
// the save folder (everything the program writes). A file is read from the save folder when it is
// there, else from the data folder; it is always written to the save folder, so a written file hides
// the data folder's file of the same name. A path without a leading separator is taken inside the
// install folder. Every other device folder is unmapped: nothing opens there.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::fs {

// The device's Program Files folder and the game's install folder in it (no trailing separator).
inline constexpr std::string_view kProgramFilesFolder = "\\Program Files";
inline constexpr std::string_view kInstallFolder = "\\Program Files\\Veltrano\\Wrath Of Kelos";

struct Folders {
    std::filesystem::path data;  // never written
    std::filesystem::path save;  // created on the first write
};

// $XDG_DATA_HOME/veltrano when that is an absolute path, else ~/.local/share/veltrano, else
// ./veltrano-save when no home folder is known.
std::filesystem::path defaultSaveFolder();

// Start-up configuration (--data, --save-dir). Until set: "data" and defaultSaveFolder().
void setFolders(Folders folders);
Folders folders();

// The parts of a device path below the install folder; empty for the install folder itself.
// Nothing for an unmapped path, an empty one, one holding NUL, a drive letter or "..".
std::optional<std::vector<std::string>> installRelativeParts(std::string_view devicePath);

// The real regular file a read of the device path opens: the save folder's, else the data
// folder's. Nothing when neither holds one.
std::optional<std::filesystem::path> resolveForRead(std::string_view devicePath);

// The save folder's own file of that name, if it has one.
std::optional<std::filesystem::path> resolveSaved(std::string_view devicePath);

// The real file a write of the device path creates or replaces, always in the save folder: the
// save folder's file of that name in any case, else the name as given. Folders on the way are
// created in the save folder when the device has them (either real folder holds them); the save
// folder itself always. Nothing for an unmapped path or a folder the device lacks.
std::optional<std::filesystem::path> resolveForWrite(std::string_view devicePath);

// The save folder's own folder that holds the device path's file, if it has that folder.
std::optional<std::filesystem::path> savedFolderOf(std::string_view devicePath);

// ASCII letters A-Z folded to lower case, the only folding the device's file names know.
std::string asciiLower(std::string_view text);

}  // namespace host::fs
