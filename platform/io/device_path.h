// Paths as the file natives hand them to the file system.
#pragma once

#include <string>
#include <string_view>

namespace mrc::io {

// The letters A-Z lower-cased, as a File stores its path, and every UTF-16 unit narrowed to its
// low byte, as the natives pass paths on.
std::string devicePathOf(std::u16string_view path);

// Each byte as one UTF-16 unit (the device's ASCII folder names as Java text).
std::u16string widenPath(std::string_view path);

}  // namespace mrc::io
