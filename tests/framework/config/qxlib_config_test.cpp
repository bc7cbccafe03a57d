#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/config/qxlib_config.h"
#include "runtime/io/byte_array_output_stream.h"
#include "runtime/io/print_stream.h"
#include "tests/framework/framework_fixture.h"

namespace {

// The dump of the shipped configuration, line for line.
const char* const kShippedDump = R"(========================================
========================================
QXLib configuration
========================================
values that differ from their defaults are marked
========================================
<*> SCREEN_WIDTH = 800
<*> SCREEN_HEIGHT = 480
    GC_AFTER_RELEASE = true
    GC_FREE_MEMORY_THRESHOLD = 0
    FRAME_STATISTICS = true
    OPTION_5 = true
    KEEP_RUNNING_AFTER_LOOP = false
    OPTION_7 = false
    OPTION_8 = false
    OPTION_9 = true
    USE_BACK_BUFFER = false
<*> TARGET_FPS = 1000
    SLEEP_TO_PACE = true
    USE_SERIAL_CALLS = false
    CALL_IDLE_HOOK = true
    DETECT_LONG_GAPS = false
    LONG_GAP_MS = 3000
    OPTION_17 = false
    OPTION_18 = false
    OPTION_19 = false
    SOFT_KEYS_LEFT_FIRST = true
    KEY_SOFT_LEFT = -6
    KEY_SOFT_RIGHT = -7
    KEY_FIRE = -5
    KEY_UP = -1
    KEY_DOWN = -2
    KEY_LEFT = -3
    KEY_RIGHT = -4
<*> KEYS_AS_HELD_COUNTS = false
    KEY_CODES_ABSOLUTE = false
    SINGLE_KEY_MODE = false
    OPTION_31 = false
    FIXED_POINT_BITS = 8
    ANGLE_BITS = 8
    OPTION_34 = true
    OPTION_35 = true
    OPTION_36 = false
    SOUND_ENABLED = true
    SOUND_CHANNELS = 2
    SOUND_THREADED = true
    OPTION_40 = true
    SOUND_OPTION_41 = false
<*> SOUND_OPTION_42 = true
<*> SOUND_OPTION_43 = true
    SOUND_OPTION_44 = true
    SOUND_OPTION_45 = false
    SOUND_OPTION_46 = false
    SOUND_STOP_ON_PAUSE = true
<*> SOUND_OPTION_48 = false
    OPTION_49 = 256
    OPTION_50 = false
    OPTION_51 = false
    OPTION_52 = false
    PACKS_USE_LZMA = false
    OPTION_54 = false
    OPTION_55 = false
    OPTION_56 = true
    SOUND_TICK_LIMIT = 4
    OPTION_58 = false
    FRAME_TIME_MS = 25
    OPTION_60 = 16
    OPTION_61 = 3
    OPTION_62 = 256
    OPTION_63 = 256
    OPTION_64 = 8
    OPTION_65 = false
    OPTION_66 = false
    OPTION_67 = false
    OPTION_68 = false
    OPTION_69 = true
    OPTION_70 = false
    OPTION_71 = false
    OPTION_72 = false
    OPTION_73 = false
    OPTION_74 = false
    OPTION_75 = false
    OPTION_76 = false
    OPTION_77 = false
    OPTION_78 = false
    OPTION_79 = false
    OPTION_80 = false
    OPTION_81 = false
    OPTION_82 = 1
    OPTION_83 = false
    OPTION_84 = false
    OPTION_85 = false
    OPTION_86 = false
    OPTION_87 = false
    OPTION_88 = false
    OPTION_89 = true
    OPTION_90 = false
    OPTION_91 = false
    OPTION_92 = false
    OPTION_93 = false
    OPTION_94 = true
    OPTION_95 = 16
    OPTION_96 = false
    OPTION_97 = false
    OPTION_98 = true
    OPTION_99 = false
    OPTION_100 = true
    OPTION_101 = true
    OPTION_102 = true
    OPTION_103 = true
    OPTION_104 = true
    OPTION_105 = true
    OPTION_106 = true
    OPTION_107 = true
    OPTION_108 = true
    OPTION_109 = true
    OPTION_110 = false
    OPTION_111 = false
    OPTION_112 = false
    OPTION_113 = false
    OPTION_114 = false
    OPTION_115 = false
    OPTION_116 = false
    OPTION_117 = false
    OPTION_118 = false
    OPTION_119 = false
    OPTION_120 = false
    OPTION_121 = false
    OPTION_122 = false
    OPTION_123 = false
    OPTION_124 = false
    OPTION_125 = false
    OPTION_126 = false
    OPTION_127 = false
    OPTION_128 = false
    OPTION_129 = false
    OPTION_130 = false
    OPTION_131 = false
    OPTION_132 = false
    OPTION_133 = false
    OPTION_134 = 16
    OPTION_135 = false
    OPTION_136 = false
    OPTION_137 = false
    OPTION_138 = false
    OPTION_139 = false
    OPTION_140 = false
    OPTION_141 = false
    OPTION_142 = false
    OPTION_143 = false
    OPTION_144 = false
    OPTION_145 = false
    OPTION_146 = true
    OPTION_147 = 100
    OPTION_148 = 1
    OPTION_149 = true
    OPTION_150 = false
    OPTION_151 = 30000
    OPTION_152 = false
    OPTION_153 = false
    OPTION_154 = false
    OPTION_155 = false
    OPTION_156 = false
    OPTION_157 = false
    OPTION_158 = false
    OPTION_159 = false
    OPTION_160 = false
    OPTION_161 = false
    OPTION_162 = false
    OPTION_163 = false
    OPTION_164 = false
    OPTION_165 = false
    OPTION_166 = 7000
    OPTION_167 = -1
    OPTION_168 = -1
    OPTION_169 = -1
    OPTION_170 = -1
    OPTION_171 = 0
    OPTION_172 = 1
    OPTION_173 = 4
<*> PATH_WORK_LENGTH = 9000
    PATH_FINDING_OPTION = false
<*> changed
<+> changed, display
<#> changed, packs
end of configuration
========================================
========================================
========================================
)";

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

class QXLibConfigDump : public mrc::test::FrameworkTest {
protected:
    std::vector<std::string> capture() {
        java_io_ByteArrayOutputStream* bytes = java_io_ByteArrayOutputStream::newInstance(4096);
        java_io_PrintStream* out = java_io_PrintStream::newInstance(bytes);
        QXLibConfig::dump(out);
        ByteArray* data = bytes->toByteArray();
        return linesOf(std::string(reinterpret_cast<const char*>(data->elements()), data->length));
    }
};

TEST_F(QXLibConfigDump, ShippedConfigurationPrintsEveryLineAsExpected) {
    std::vector<std::string> got = capture();
    std::vector<std::string> want = linesOf(kShippedDump);
    ASSERT_EQ(want.size(), 189u);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "line " << i;
}

TEST_F(QXLibConfigDump, ExactlyTheEightShippedChangesAreMarked) {
    std::vector<int32_t> changed;
    for (int32_t p = 0; p < QXLibConfig::kValueCount; ++p)
        if (QXLibConfig::differsFromReference(p)) changed.push_back(p);
    EXPECT_EQ(changed, (std::vector<int32_t>{0, 1, 11, 28, 42, 43, 48, 174}));
    std::vector<std::string> got = capture();
    int marked = 0;
    for (const std::string& line : got) marked += line.rfind("<", 0) == 0 && line.find(" = ") != std::string::npos;
    EXPECT_EQ(marked, 8);
}

TEST_F(QXLibConfigDump, BooleanWithTrueDefaultIsMarkedOnlyWhenFalse) {
    constexpr int32_t kGcAfterRelease = 2;
    constexpr int32_t kSecondGroupMark = 10;  // reference false
    QXLibConfig::statics.GC_AFTER_RELEASE = 0;
    QXLibConfig::statics.USE_BACK_BUFFER = 1;
    std::vector<std::string> got = capture();
    EXPECT_EQ(got[6 + kGcAfterRelease], "<*> GC_AFTER_RELEASE = false");
    EXPECT_EQ(got[6 + kSecondGroupMark], "<+> USE_BACK_BUFFER = true");
    QXLibConfig::statics.GC_AFTER_RELEASE = 1;
    EXPECT_EQ(capture()[6 + kGcAfterRelease], "    GC_AFTER_RELEASE = true");
}

TEST_F(QXLibConfigDump, ValuesOutsideTheTableReadAsZeroAndNullStreamPrintsNothing) {
    EXPECT_EQ(QXLibConfig::valueAt(-1), 0);
    EXPECT_EQ(QXLibConfig::valueAt(QXLibConfig::kValueCount), 0);
    EXPECT_FALSE(QXLibConfig::differsFromReference(QXLibConfig::kValueCount));
    EXPECT_EQ(QXLibConfig::valueAt(21), -6);
    QXLibConfig::dump(nullptr);
}

}  // namespace
