#include "platform/io/device_path.h"

namespace mrc::io {

std::string devicePathOf(std::u16string_view path) {
    std::string out;
    out.reserve(path.size());
    for (char16_t c : path) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        out.push_back(static_cast<char>(c & 0xFF));
    }
    return out;
}

std::u16string widenPath(std::string_view path) {
    std::u16string out;
    out.reserve(path.size());
    for (char c : path) out.push_back(static_cast<unsigned char>(c));
    return out;
}

}  // namespace mrc::io
