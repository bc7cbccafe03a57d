#include <gtest/gtest.h>

#include <string>

#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/print_stream.h"
#include "runtime/lang/system_class.h"
#include "tests/framework/input/spine_fixture.h"

namespace {

// System.out captured into a byte array for the test's length.
class FrameworkServices : public mrc::test::SpineTest {
protected:
    void SetUp() override {
        SpineTest::SetUp();
        captured = java_io_ByteArrayOutputStream::newInstance(256);
        saved = mrc::systemStatics.out;
        mrc::systemStatics.out = java_io_PrintStream::newInstance(captured);
    }
    void TearDown() override {
        mrc::systemStatics.out = saved;
        SpineTest::TearDown();
    }
    std::string printed() {
        ByteArray* data = captured->toByteArray();
        return std::string(reinterpret_cast<const char*>(data->elements()), data->length);
    }
    static std::string text(String* s) {
        std::string out;
        for (int32_t i = 0; i + 1 < s->length; ++i) out += static_cast<char>(s->chars[i]);
        return out;
    }
    java_io_ByteArrayOutputStream* captured = nullptr;
    java_io_PrintStream* saved = nullptr;
};

TEST_F(FrameworkServices, TraceLinesEndInALineFeed) {
    QXLib::dbgPrintln(string("game loop"));
    QXLib::debugText(nullptr, false, string("x=3"), 0, 0);
    EXPECT_EQ(printed(), "game loop\nDBG: x=3\n");
}

TEST_F(FrameworkServices, AssertPrintsOnlyWhenTheConditionFailsAndReturns) {
    QXLib::Assert(true, string("fine"));
    EXPECT_EQ(printed(), "");
    QXLib::Assert(false, string("broken"));
    const std::string separator(40, '*');
    EXPECT_EQ(printed(), separator + "\nASSERT FAILED: broken\n" + separator + "\n");
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

TEST_F(FrameworkServices, GetStringDecodesEntriesAndFallsBackPastTheEnd) {
    EXPECT_EQ(text(QXLib::getString(0)), "");  // no table: an assertion and the fixed text
    EXPECT_NE(printed().find("no text table"), std::string::npos);
    ObjectArray* table = om()->newObjectArray(mrc::kClass_ByteArray, 2);
    QXLib::serviceStatics.textTable = table;
    table->elements()[0] = bytes({'O', 'K'});
    table->elements()[1] = bytes({0xC3, 0xA9});
    EXPECT_EQ(text(QXLib::getString(0)), "OK");
    EXPECT_EQ(QXLib::getString(1)->chars[0], u'\u00e9');
    EXPECT_EQ(text(QXLib::getString(2)), "");
    EXPECT_EQ(text(QXLib::getString(-1)), "");
}

TEST_F(FrameworkServices, OnScreenDebugTextDrawsTheBlackBandAtItsRow) {
    javax_microedition_lcdui_Image* image = javax_microedition_lcdui_Image::createBlankImage(800, 480);
    javax_microedition_lcdui_Graphics* g = image->getGraphics();
    g->setColor(0xFFFFFF);
    g->fillRect(0, 0, 800, 480);
    QXLib::debugText(g, true, string("x"), 5, 470);
    EXPECT_EQ(inkBox(image, 0xFFFF), (std::array<int32_t, 4>{0, 470, 800, 10}));
    EXPECT_EQ(printed(), "");
}

TEST_F(FrameworkServices, MissingImageResourceGivesNull) {
    EXPECT_EQ(QXLib::loadImage(string("/no such image.png")), nullptr);
    EXPECT_EQ(app()->getPendingException(), nullptr);
}

}  // namespace
