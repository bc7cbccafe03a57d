// javax.microedition.lcdui.Command: a label, an optional long label, a type and a priority.
#pragma once

#include <cstdint>

#include "runtime/core/object.h"

class String;

class javax_microedition_lcdui_Command : public Object {
public:
    MRC_CLASS(javax_microedition_lcdui_Command, Object);
    MRC_REF_FIELDS(&javax_microedition_lcdui_Command::label, &javax_microedition_lcdui_Command::longLabel);

    // Types 1 (SCREEN) to 8 (ITEM).
    static constexpr int32_t kFirstType = 1;
    static constexpr int32_t kLastType = 8;

    virtual int32_t getPriority() { return priority; }  // slot 6

    // Command(label, type, priority): the type first (outside 1..8 raises
    // IllegalArgumentException), then the label (null raises NullPointerException).
    void Command(String* label, int32_t type, int32_t priority);
    void Command(String* label, String* longLabel, int32_t type, int32_t priority);
    // False, with the exception raised, for a bad type.
    bool initType(int32_t type, int32_t priority);
    void initLabel(String* label, String* longLabel);

    String* getLabel() { return label; }
    String* getLongLabel() { return longLabel; }
    int32_t getCommandType() { return type; }

    String* label;
    String* longLabel;
    int32_t type;
    int32_t priority;
    int32_t extra;
};
