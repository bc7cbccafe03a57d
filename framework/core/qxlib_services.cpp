#include "framework/core/qxlib.h"
#include "platform/lcdui/graphics.h"
#include "platform/lcdui/image.h"
#include "runtime/core/application.h"
#include "runtime/core/arrays.h"
#include "runtime/core/static_class.h"
#include "runtime/io/print_stream.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"
#include "runtime/lang/system_class.h"
#include "runtime/lang/throwable.h"

QXLib::ServiceStatics QXLib::serviceStatics;

namespace {

constexpr const char* kAssertSeparator = "****************************************";
constexpr const char* kAssertPrefix = "ASSERT FAILED: ";
constexpr const char* kAssertTrace = "assertion";
constexpr const char* kNoTextTable = "getString: no text table";
constexpr const char* kMissingText = "";
constexpr const char* kTextEncoding = "UTF-8";
constexpr const char* kDebugPrefix = "DBG: ";
constexpr int32_t kScreenWidth = 800;
constexpr int32_t kDebugBarHeight = 10;

mrc::Application* app() { return mrc::ApplicationImpl::getApplication(); }

// The stream's own failures are of no interest to a trace.
void dropPending() {
    if ((app()->getPendingException() != nullptr)) app()->clearPendingException();
}

String* concat(const char* prefix, String* text) {
    StringBuffer* line = mrc::newObject<StringBuffer>();
    if (line == nullptr) return nullptr;
    line->init();
    line->appendCString(prefix);
    line->appendString(text);
    return line->toString();
}

}  // namespace

void QXLib::dbgPrintln(String* s) {
    java_io_PrintStream* out = mrc::systemStatics.out;
    if (out == nullptr) return;
    out->print(s);
    out->println();
    dropPending();
}

void QXLib::dbgPrintln(const char* text) { dbgPrintln(mrc::newString(text)); }

void QXLib::Assert(bool condition, String* message) {
    if (condition) return;
    dbgPrintln(kAssertSeparator);
    dbgPrintln(concat(kAssertPrefix, message));
    dbgPrintln(kAssertSeparator);
    auto* trace = mrc::newObject<java_lang_Throwable>(mrc::kClass_java_lang_Throwable);
    if (trace == nullptr) return;
    trace->init(mrc::newString(kAssertTrace));
    trace->printStackTrace();
    dropPending();
}

String* QXLib::getString(int32_t i) {
    ObjectArray* table = serviceStatics.textTable;
    if (table == nullptr) {
        Assert(false, mrc::newString(kNoTextTable));
        return mrc::newString(kMissingText);
    }
    if (i < 0 || i >= table->length) return mrc::newString(kMissingText);
    auto* bytes = static_cast<ByteArray*>(table->elements()[i]);
    String* text = mrc::newObject<String>();
    if (text == nullptr) return nullptr;
    if (bytes == nullptr) {
        app()->reportError("NullPointer");
        return mrc::newString(kMissingText);
    }
    text->initFromEncoded(bytes, mrc::newString(kTextEncoding));
    return text;
}

javax_microedition_lcdui_Image* QXLib::loadImage(String* name) {
    java_io_InputStream* stream = Class::getResourceAsStream(name);
    if ((app()->getPendingException() != nullptr) || stream == nullptr) {
        dropPending();
        return nullptr;
    }
    javax_microedition_lcdui_Image* image = javax_microedition_lcdui_Image::readAllBytes(stream);
    if ((app()->getPendingException() != nullptr)) {
        dropPending();
        return nullptr;
    }
    return image;
}

void QXLib::debugText(javax_microedition_lcdui_Graphics* g, bool onScreen, String* text, int32_t x, int32_t y) {
    if (!onScreen) {
        dbgPrintln(concat(kDebugPrefix, text));
        return;
    }
    if (g == nullptr) {
        app()->reportError("NullPointer");
        return;
    }
    g->setColor(0x000000);
    g->fillRect(0, y, kScreenWidth, kDebugBarHeight);
    g->setColor(0xFFFFFF);
    g->drawString(text, x, y, 0);
}
