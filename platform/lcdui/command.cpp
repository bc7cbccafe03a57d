#include "platform/lcdui/command.h"

#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"

using Command = javax_microedition_lcdui_Command;

void javax_microedition_lcdui_Command::Command(String* labelValue, int32_t typeValue, int32_t priorityValue) {
    Command(labelValue, nullptr, typeValue, priorityValue);
}

void javax_microedition_lcdui_Command::Command(String* labelValue, String* longLabelValue, int32_t typeValue,
                                               int32_t priorityValue) {
    if (initType(typeValue, priorityValue)) initLabel(labelValue, longLabelValue);
}

bool Command::initType(int32_t typeValue, int32_t priorityValue) {
    if (typeValue < kFirstType || typeValue > kLastType) {
        mrc::raise(mrc::kClass_java_lang_IllegalArgumentException);
        return false;
    }
    type = typeValue;
    priority = priorityValue;
    return true;
}

void Command::initLabel(String* labelValue, String* longLabelValue) {
    if (isNull(labelValue)) {
        mrc::raise(mrc::kClass_java_lang_NullPointerException);
        return;
    }
    label = labelValue;
    longLabel = longLabelValue;
}
