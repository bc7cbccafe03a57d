// String constants for tests: a table of numbered texts installed as the store's constants.
#pragma once

#include <map>
#include <string>

#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/object_manager.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"

namespace mrc::test {

// Constants 0 to the highest number given; the others null.
inline void installConstants(const std::map<int, std::string>& texts) {
    Application* app = ApplicationImpl::getApplication();
    int32_t count = texts.empty() ? 0 : texts.rbegin()->first + 1;
    app->staticClass->stringConstants = app->objectManager->newObjectArray(kClass_String, count);
    for (const auto& [n, text] : texts) {
        String* s = newString(text.c_str());
        s->m_collectable = 0;
        app->staticClass->stringConstants->elements()[n] = s;
    }
}

// Stand-ins for the constants that the library classes use (the real texts come with the data).
inline const std::map<int, std::string>& libraryConstants() {
    static const std::map<int, std::string> texts = {
        {1, ""},
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
