// String constants for tests: constants files written by the fixtures and loaded through the
// store's own loader.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/io/byte_array_input_stream.h"
#include "tools/formats/constants_file.h"

namespace mrc::test {

// A byte-array stream over `bytes`.
inline java_io_ByteArrayInputStream* streamOver(const std::vector<uint8_t>& bytes) {
    Application* app = ApplicationImpl::getApplication();
    ByteArray* array = app->objectManager->newByteArray(static_cast<int32_t>(bytes.size()));
    for (std::size_t i = 0; i < bytes.size(); ++i) array->elements()[i] = static_cast<int8_t>(bytes[i]);
    return java_io_ByteArrayInputStream::newInstance(array);
}

inline bool loadConstantsFile(const std::vector<uint8_t>& bytes) {
    return ApplicationImpl::getApplication()->staticClass->loadConstants(streamOver(bytes));
}

// Constants 0 to the highest number given; the others empty.
inline void installConstants(const std::map<int, std::string>& texts) {
    std::vector<std::string> strings(texts.empty() ? 0 : static_cast<std::size_t>(texts.rbegin()->first) + 1);
    for (const auto& [n, text] : texts) strings[static_cast<std::size_t>(n)] = text;
    loadConstantsFile(formats::writeConstantsFile(strings));
}

// Stand-ins for the constants that the library classes use (the real texts come with the data).
inline const std::map<int, std::string>& libraryConstants() {
    static const std::map<int, std::string> texts = {
        {1, "(no message)"},
        {26, ",priority="},
        {583, "Array index out of range: "},
        {584, "Thread[@"},
        {585, "]"},
        {586, "microedition.encoding"},
        {587, "ISO-8859-1"},
        {594, "true"},
        {595, "false"},
    };
    return texts;
}

}  // namespace mrc::test
