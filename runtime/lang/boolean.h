// java.lang.Boolean: the boxed boolean and the two shared instances.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"
#include "runtime/lang/construct.h"

class java_lang_Boolean : public Object {
public:
    MRC_CLASS(java_lang_Boolean, Object);

    // Texts of toString().
    static constexpr int32_t kTrueConstant = 594;
    static constexpr int32_t kFalseConstant = 595;

    struct Statics {
        java_lang_Boolean* TRUE_;   // Boolean.TRUE
        java_lang_Boolean* FALSE_;  // Boolean.FALSE
        MRC_REF_FIELDS(&Statics::TRUE_, &Statics::FALSE_);
    };
    static Statics statics;
    // The static initialiser: creates Boolean.TRUE and Boolean.FALSE.
    static void clinit();

    void init(bool b) { value = b ? 1 : 0; }
    bool booleanValue() const { return value != 0; }

    bool equals(Object* other) override;  // a Boolean holding the same value
    String* toString() override;          // string constant 594 or 595
    int32_t hashCode() override { return value ? 1 : 0; }

    uint8_t value;
};

namespace mrc {
inline java_lang_Boolean* newBoolean(bool b) { return newConstructed<java_lang_Boolean>(b); }
}
