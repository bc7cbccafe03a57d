// A started runtime with the string constants the java.io and java.util classes use, and helpers
// to read the pending exception and to move bytes between C++ and Java arrays.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "runtime/core/arrays.h"
#include "runtime/core/class_ids.h"
#include "runtime/lang/string.h"
#include "tests/runtime/lang/text_support.h"
#include "tests/runtime/runtime_fixture.h"

namespace mrc::test {

class LibraryTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        installConstants({{1, "default"},
                          {583, "Array index out of range: "},
                          {588, "{"},
                          {589, ", "},
                          {590, "="},
                          {591, "}"},
                          {592, "HashtableEnumerator"},
                          {593, "Illegal Capacity: "},
                          {594, "true"},
                          {595, "false"},
                          {596, "n must be positive"}});
    }

    // Replaces the string constants by these (the others null).
    static void installConstants(std::initializer_list<std::pair<int32_t, const char*>> texts) {
        int32_t n = 0;
        for (const auto& t : texts) n = std::max(n, t.first + 1);
        ObjectArray* array = om()->newObjectArray(kClass_String, n);
        ASSERT_NE(array, nullptr);
        statics()->stringConstants = array;
        for (const auto& t : texts) {
            String* s = mrc::newString(t.second);
            array->elements()[t.first] = s;
        }
    }

    static std::string takePending();
};

// The simple class name of the pending exception ("EOFException"), which is cleared; "" when
// nothing is pending.
inline std::string takePendingName() {
    Application* app = ApplicationImpl::getApplication();
    Object* e = app->getPendingException();
    if (!e) return "";
    app->clearPendingException();
    std::string name = kClassNames[e->m_classId];
    return name.substr(name.rfind('_') + 1);
}

inline std::string LibraryTest::takePending() { return takePendingName(); }

// Two hex digits per byte, "_" for none.
inline std::string hexOfBytes(ByteArray* bytes, int32_t count = -1) {
    if (!bytes) return "<null>";
    if (count < 0) count = bytes->length;
    std::string out;
    for (int32_t i = 0; i < count; ++i) {
        char b[3];
        std::snprintf(b, sizeof b, "%02x", static_cast<uint8_t>(bytes->elements()[i]));
        out += b;
    }
    return out.empty() ? "_" : out;
}

inline std::string unhex(std::string_view hex) {
    std::string raw;
    if (hex == "_") return raw;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        raw.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return raw;
}

}  // namespace mrc::test
