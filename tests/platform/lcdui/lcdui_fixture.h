// A started runtime with helpers for the lcdui classes: arrays from native values, images read
// back, and the log of reported checks.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "host/core/log.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/lang/string.h"
#include "tests/runtime/runtime_fixture.h"

namespace mrc::test {

class LcduiTest : public RuntimeTest {
protected:
    uint32_t dataHeapSize() const override { return 8u << 20; }

    static IntArray* ints(const std::vector<uint32_t>& values) {
        IntArray* a = om()->newIntArray(static_cast<int32_t>(values.size()));
        for (std::size_t i = 0; i < values.size(); ++i) a->elements()[i] = static_cast<int32_t>(values[i]);
        return a;
    }
    static ByteArray* bytes(const std::vector<uint8_t>& values, int32_t before = 0) {
        ByteArray* a = om()->newByteArray(static_cast<int32_t>(values.size()) + before);
        std::memcpy(a->elements() + before, values.data(), values.size());
        return a;
    }
    static String* string(const char* text) {
        String* s = mrc::newObject<String>();
        s->initFromCString(text);
        return s;
    }
    // Row-major pixels of a 16-bit image, without the row padding.
    static std::vector<uint16_t> pixelsOf(javax_microedition_lcdui_Image* image) {
        std::vector<uint16_t> out;
        uint16_t* px = image->pixels16();
        if (!px) return out;
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x) out.push_back(px[y * (image->stride / 2) + x]);
        return out;
    }
    static bool pending(uint16_t classId) {
        Object* e = app()->getPendingException();
        return e && e->classId() == classId;
    }

    host::LogCapture log;
};

}  // namespace mrc::test
