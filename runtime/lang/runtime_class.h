// java.lang.Runtime: one instance, made by its static initialiser. Its memory figures are
// natives of the platform layer; its own two methods do nothing.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class java_lang_Runtime : public Object {
public:
    MRC_CLASS(java_lang_Runtime, Object);

    struct Statics {
        java_lang_Runtime* currentRuntime;
        MRC_REF_FIELDS(&Statics::currentRuntime);
    };
    static Statics statics;
    // The static initialiser: creates the singleton.
    static void clinit();
    static java_lang_Runtime* getRuntime() { return statics.currentRuntime; }

    virtual void exit(int32_t status);  // slot 6: nothing
    virtual void gc();                  // slot 7: nothing

    // The device's available and total physical memory in bytes.
    static int64_t freeMemory();
    static int64_t totalMemory();
};
