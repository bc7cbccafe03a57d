#include "framework/config/qxlib_config.h"

#include <cstring>

#include "runtime/io/print_stream.h"
#include "runtime/lang/string.h"
#include "runtime/lang/string_buffer.h"
#include "runtime/lang/system_class.h"

QXLibConfig::Statics QXLibConfig::statics;

const QXLibConfig::Value QXLibConfig::kValues[kValueCount] = {
    {"SCREEN_WIDTH = ", offsetof(QXLibConfig::Statics, SCREEN_WIDTH), true, 800, 0, Mark::First},
    {"SCREEN_HEIGHT = ", offsetof(QXLibConfig::Statics, SCREEN_HEIGHT), true, 480, 0, Mark::First},
    {"GC_AFTER_RELEASE = ", offsetof(QXLibConfig::Statics, GC_AFTER_RELEASE), false, 1, 1, Mark::First},
    {"GC_FREE_MEMORY_THRESHOLD = ", offsetof(QXLibConfig::Statics, GC_FREE_MEMORY_THRESHOLD), true, 0, 0, Mark::First},
    {"FRAME_STATISTICS = ", offsetof(QXLibConfig::Statics, FRAME_STATISTICS), false, 1, 1, Mark::First},
    {"OPTION_5 = ", offsetof(QXLibConfig::Statics, OPTION_5), false, 1, 1, Mark::First},
    {"KEEP_RUNNING_AFTER_LOOP = ", offsetof(QXLibConfig::Statics, KEEP_RUNNING_AFTER_LOOP), false, 0, 0, Mark::First},
    {"OPTION_7 = ", offsetof(QXLibConfig::Statics, OPTION_7), false, 0, 0, Mark::First},
    {"OPTION_8 = ", offsetof(QXLibConfig::Statics, OPTION_8), false, 0, 0, Mark::First},
    {"OPTION_9 = ", offsetof(QXLibConfig::Statics, OPTION_9), false, 1, 1, Mark::First},
    {"USE_BACK_BUFFER = ", offsetof(QXLibConfig::Statics, USE_BACK_BUFFER), false, 0, 0, Mark::Second},
    {"TARGET_FPS = ", offsetof(QXLibConfig::Statics, TARGET_FPS), true, 1000, 25, Mark::First},
    {"SLEEP_TO_PACE = ", offsetof(QXLibConfig::Statics, SLEEP_TO_PACE), false, 1, 1, Mark::First},
    {"USE_SERIAL_CALLS = ", offsetof(QXLibConfig::Statics, USE_SERIAL_CALLS), false, 0, 0, Mark::First},
    {"CALL_IDLE_HOOK = ", offsetof(QXLibConfig::Statics, CALL_IDLE_HOOK), false, 1, 1, Mark::First},
    {"DETECT_LONG_GAPS = ", offsetof(QXLibConfig::Statics, DETECT_LONG_GAPS), false, 0, 0, Mark::First},
    {"LONG_GAP_MS = ", offsetof(QXLibConfig::Statics, LONG_GAP_MS), true, 3000, 3000, Mark::First},
    {"OPTION_17 = ", offsetof(QXLibConfig::Statics, OPTION_17), false, 0, 0, Mark::First},
    {"OPTION_18 = ", offsetof(QXLibConfig::Statics, OPTION_18), false, 0, 0, Mark::First},
    {"OPTION_19 = ", offsetof(QXLibConfig::Statics, OPTION_19), false, 0, 0, Mark::First},
    {"SOFT_KEYS_LEFT_FIRST = ", offsetof(QXLibConfig::Statics, SOFT_KEYS_LEFT_FIRST), false, 1, 1, Mark::First},
    {"KEY_SOFT_LEFT = ", offsetof(QXLibConfig::Statics, KEY_SOFT_LEFT), true, -6, -6, Mark::First},
    {"KEY_SOFT_RIGHT = ", offsetof(QXLibConfig::Statics, KEY_SOFT_RIGHT), true, -7, -7, Mark::First},
    {"KEY_FIRE = ", offsetof(QXLibConfig::Statics, KEY_FIRE), true, -5, -5, Mark::First},
    {"KEY_UP = ", offsetof(QXLibConfig::Statics, KEY_UP), true, -1, -1, Mark::First},
    {"KEY_DOWN = ", offsetof(QXLibConfig::Statics, KEY_DOWN), true, -2, -2, Mark::First},
    {"KEY_LEFT = ", offsetof(QXLibConfig::Statics, KEY_LEFT), true, -3, -3, Mark::First},
    {"KEY_RIGHT = ", offsetof(QXLibConfig::Statics, KEY_RIGHT), true, -4, -4, Mark::First},
    {"KEYS_AS_HELD_COUNTS = ", offsetof(QXLibConfig::Statics, KEYS_AS_HELD_COUNTS), false, 0, 1, Mark::First},
    {"KEY_CODES_ABSOLUTE = ", offsetof(QXLibConfig::Statics, KEY_CODES_ABSOLUTE), false, 0, 0, Mark::First},
    {"SINGLE_KEY_MODE = ", offsetof(QXLibConfig::Statics, SINGLE_KEY_MODE), false, 0, 0, Mark::First},
    {"OPTION_31 = ", offsetof(QXLibConfig::Statics, OPTION_31), false, 0, 0, Mark::Second},
    {"FIXED_POINT_BITS = ", offsetof(QXLibConfig::Statics, FIXED_POINT_BITS), true, 8, 8, Mark::First},
    {"ANGLE_BITS = ", offsetof(QXLibConfig::Statics, ANGLE_BITS), true, 8, 8, Mark::First},
    {"OPTION_34 = ", offsetof(QXLibConfig::Statics, OPTION_34), false, 1, 1, Mark::First},
    {"OPTION_35 = ", offsetof(QXLibConfig::Statics, OPTION_35), false, 1, 1, Mark::First},
    {"OPTION_36 = ", offsetof(QXLibConfig::Statics, OPTION_36), false, 0, 0, Mark::First},
    {"SOUND_ENABLED = ", offsetof(QXLibConfig::Statics, SOUND_ENABLED), false, 1, 1, Mark::First},
    {"SOUND_CHANNELS = ", offsetof(QXLibConfig::Statics, SOUND_CHANNELS), true, 2, 2, Mark::First},
    {"SOUND_THREADED = ", offsetof(QXLibConfig::Statics, SOUND_THREADED), false, 1, 1, Mark::First},
    {"OPTION_40 = ", offsetof(QXLibConfig::Statics, OPTION_40), false, 1, 1, Mark::First},
    {"SOUND_OPTION_41 = ", offsetof(QXLibConfig::Statics, SOUND_OPTION_41), false, 0, 0, Mark::First},
    {"SOUND_OPTION_42 = ", offsetof(QXLibConfig::Statics, SOUND_OPTION_42), false, 1, 0, Mark::First},
    {"SOUND_OPTION_43 = ", offsetof(QXLibConfig::Statics, SOUND_OPTION_43), false, 1, 0, Mark::First},
    {"SOUND_OPTION_44 = ", offsetof(QXLibConfig::Statics, SOUND_OPTION_44), false, 1, 1, Mark::First},
    {"SOUND_OPTION_45 = ", offsetof(QXLibConfig::Statics, SOUND_OPTION_45), false, 0, 0, Mark::First},
    {"SOUND_OPTION_46 = ", offsetof(QXLibConfig::Statics, SOUND_OPTION_46), false, 0, 0, Mark::First},
    {"SOUND_STOP_ON_PAUSE = ", offsetof(QXLibConfig::Statics, SOUND_STOP_ON_PAUSE), false, 1, 1, Mark::First},
    {"SOUND_OPTION_48 = ", offsetof(QXLibConfig::Statics, SOUND_OPTION_48), false, 0, 1, Mark::First},
    {"OPTION_49 = ", offsetof(QXLibConfig::Statics, OPTION_49), true, 256, 256, Mark::First},
    {"OPTION_50 = ", offsetof(QXLibConfig::Statics, OPTION_50), false, 0, 0, Mark::Second},
    {"OPTION_51 = ", offsetof(QXLibConfig::Statics, OPTION_51), false, 0, 0, Mark::First},
    {"OPTION_52 = ", offsetof(QXLibConfig::Statics, OPTION_52), false, 0, 0, Mark::Third},
    {"PACKS_USE_LZMA = ", offsetof(QXLibConfig::Statics, PACKS_USE_LZMA), false, 0, 0, Mark::First},
    {"OPTION_54 = ", offsetof(QXLibConfig::Statics, OPTION_54), false, 0, 0, Mark::First},
    {"OPTION_55 = ", offsetof(QXLibConfig::Statics, OPTION_55), false, 0, 0, Mark::First},
    {"OPTION_56 = ", offsetof(QXLibConfig::Statics, OPTION_56), false, 1, 1, Mark::First},
    {"SOUND_TICK_LIMIT = ", offsetof(QXLibConfig::Statics, SOUND_TICK_LIMIT), true, 4, 4, Mark::First},
    {"OPTION_58 = ", offsetof(QXLibConfig::Statics, OPTION_58), false, 0, 0, Mark::First},
    {"FRAME_TIME_MS = ", offsetof(QXLibConfig::Statics, FRAME_TIME_MS), true, 25, 25, Mark::First},
    {"OPTION_60 = ", offsetof(QXLibConfig::Statics, OPTION_60), true, 16, 16, Mark::First},
    {"OPTION_61 = ", offsetof(QXLibConfig::Statics, OPTION_61), true, 3, 3, Mark::First},
    {"OPTION_62 = ", offsetof(QXLibConfig::Statics, OPTION_62), true, 256, 256, Mark::First},
    {"OPTION_63 = ", offsetof(QXLibConfig::Statics, OPTION_63), true, 256, 256, Mark::First},
    {"OPTION_64 = ", offsetof(QXLibConfig::Statics, OPTION_64), true, 8, 8, Mark::First},
    {"OPTION_65 = ", offsetof(QXLibConfig::Statics, OPTION_65), false, 0, 0, Mark::Third},
    {"OPTION_66 = ", offsetof(QXLibConfig::Statics, OPTION_66), false, 0, 0, Mark::Second},
    {"OPTION_67 = ", offsetof(QXLibConfig::Statics, OPTION_67), false, 0, 0, Mark::Second},
    {"OPTION_68 = ", offsetof(QXLibConfig::Statics, OPTION_68), false, 0, 0, Mark::Second},
    {"OPTION_69 = ", offsetof(QXLibConfig::Statics, OPTION_69), false, 1, 1, Mark::First},
    {"OPTION_70 = ", offsetof(QXLibConfig::Statics, OPTION_70), false, 0, 0, Mark::Second},
    {"OPTION_71 = ", offsetof(QXLibConfig::Statics, OPTION_71), false, 0, 0, Mark::First},
    {"OPTION_72 = ", offsetof(QXLibConfig::Statics, OPTION_72), false, 0, 0, Mark::First},
    {"OPTION_73 = ", offsetof(QXLibConfig::Statics, OPTION_73), false, 0, 0, Mark::First},
    {"OPTION_74 = ", offsetof(QXLibConfig::Statics, OPTION_74), false, 0, 0, Mark::First},
    {"OPTION_75 = ", offsetof(QXLibConfig::Statics, OPTION_75), false, 0, 0, Mark::First},
    {"OPTION_76 = ", offsetof(QXLibConfig::Statics, OPTION_76), false, 0, 0, Mark::First},
    {"OPTION_77 = ", offsetof(QXLibConfig::Statics, OPTION_77), false, 0, 0, Mark::Third},
    {"OPTION_78 = ", offsetof(QXLibConfig::Statics, OPTION_78), false, 0, 0, Mark::Third},
    {"OPTION_79 = ", offsetof(QXLibConfig::Statics, OPTION_79), false, 0, 0, Mark::First},
    {"OPTION_80 = ", offsetof(QXLibConfig::Statics, OPTION_80), false, 0, 0, Mark::First},
    {"OPTION_81 = ", offsetof(QXLibConfig::Statics, OPTION_81), false, 0, 0, Mark::First},
    {"OPTION_82 = ", offsetof(QXLibConfig::Statics, OPTION_82), true, 1, 1, Mark::First},
    {"OPTION_83 = ", offsetof(QXLibConfig::Statics, OPTION_83), false, 0, 0, Mark::First},
    {"OPTION_84 = ", offsetof(QXLibConfig::Statics, OPTION_84), false, 0, 0, Mark::First},
    {"OPTION_85 = ", offsetof(QXLibConfig::Statics, OPTION_85), false, 0, 0, Mark::Third},
    {"OPTION_86 = ", offsetof(QXLibConfig::Statics, OPTION_86), false, 0, 0, Mark::First},
    {"OPTION_87 = ", offsetof(QXLibConfig::Statics, OPTION_87), false, 0, 0, Mark::First},
    {"OPTION_88 = ", offsetof(QXLibConfig::Statics, OPTION_88), false, 0, 0, Mark::First},
    {"OPTION_89 = ", offsetof(QXLibConfig::Statics, OPTION_89), false, 1, 1, Mark::First},
    {"OPTION_90 = ", offsetof(QXLibConfig::Statics, OPTION_90), false, 0, 0, Mark::First},
    {"OPTION_91 = ", offsetof(QXLibConfig::Statics, OPTION_91), false, 0, 0, Mark::First},
    {"OPTION_92 = ", offsetof(QXLibConfig::Statics, OPTION_92), false, 0, 0, Mark::First},
    {"OPTION_93 = ", offsetof(QXLibConfig::Statics, OPTION_93), false, 0, 0, Mark::First},
    {"OPTION_94 = ", offsetof(QXLibConfig::Statics, OPTION_94), false, 1, 1, Mark::First},
    {"OPTION_95 = ", offsetof(QXLibConfig::Statics, OPTION_95), true, 16, 16, Mark::First},
    {"OPTION_96 = ", offsetof(QXLibConfig::Statics, OPTION_96), false, 0, 0, Mark::First},
    {"OPTION_97 = ", offsetof(QXLibConfig::Statics, OPTION_97), false, 0, 0, Mark::First},
    {"OPTION_98 = ", offsetof(QXLibConfig::Statics, OPTION_98), false, 1, 1, Mark::First},
    {"OPTION_99 = ", offsetof(QXLibConfig::Statics, OPTION_99), false, 0, 0, Mark::First},
    {"OPTION_100 = ", offsetof(QXLibConfig::Statics, OPTION_100), false, 1, 1, Mark::First},
    {"OPTION_101 = ", offsetof(QXLibConfig::Statics, OPTION_101), false, 1, 1, Mark::First},
    {"OPTION_102 = ", offsetof(QXLibConfig::Statics, OPTION_102), false, 1, 1, Mark::First},
    {"OPTION_103 = ", offsetof(QXLibConfig::Statics, OPTION_103), false, 1, 1, Mark::First},
    {"OPTION_104 = ", offsetof(QXLibConfig::Statics, OPTION_104), false, 1, 1, Mark::First},
    {"OPTION_105 = ", offsetof(QXLibConfig::Statics, OPTION_105), false, 1, 1, Mark::First},
    {"OPTION_106 = ", offsetof(QXLibConfig::Statics, OPTION_106), false, 1, 1, Mark::First},
    {"OPTION_107 = ", offsetof(QXLibConfig::Statics, OPTION_107), false, 1, 1, Mark::First},
    {"OPTION_108 = ", offsetof(QXLibConfig::Statics, OPTION_108), false, 1, 1, Mark::First},
    {"OPTION_109 = ", offsetof(QXLibConfig::Statics, OPTION_109), false, 1, 1, Mark::First},
    {"OPTION_110 = ", offsetof(QXLibConfig::Statics, OPTION_110), false, 0, 0, Mark::First},
    {"OPTION_111 = ", offsetof(QXLibConfig::Statics, OPTION_111), false, 0, 0, Mark::First},
    {"OPTION_112 = ", offsetof(QXLibConfig::Statics, OPTION_112), false, 0, 0, Mark::First},
    {"OPTION_113 = ", offsetof(QXLibConfig::Statics, OPTION_113), false, 0, 0, Mark::First},
    {"OPTION_114 = ", offsetof(QXLibConfig::Statics, OPTION_114), false, 0, 0, Mark::First},
    {"OPTION_115 = ", offsetof(QXLibConfig::Statics, OPTION_115), false, 0, 0, Mark::First},
    {"OPTION_116 = ", offsetof(QXLibConfig::Statics, OPTION_116), false, 0, 0, Mark::First},
    {"OPTION_117 = ", offsetof(QXLibConfig::Statics, OPTION_117), false, 0, 0, Mark::First},
    {"OPTION_118 = ", offsetof(QXLibConfig::Statics, OPTION_118), false, 0, 0, Mark::First},
    {"OPTION_119 = ", offsetof(QXLibConfig::Statics, OPTION_119), false, 0, 0, Mark::First},
    {"OPTION_120 = ", offsetof(QXLibConfig::Statics, OPTION_120), false, 0, 0, Mark::First},
    {"OPTION_121 = ", offsetof(QXLibConfig::Statics, OPTION_121), false, 0, 0, Mark::First},
    {"OPTION_122 = ", offsetof(QXLibConfig::Statics, OPTION_122), false, 0, 0, Mark::First},
    {"OPTION_123 = ", offsetof(QXLibConfig::Statics, OPTION_123), false, 0, 0, Mark::First},
    {"OPTION_124 = ", offsetof(QXLibConfig::Statics, OPTION_124), false, 0, 0, Mark::First},
    {"OPTION_125 = ", offsetof(QXLibConfig::Statics, OPTION_125), false, 0, 0, Mark::First},
    {"OPTION_126 = ", offsetof(QXLibConfig::Statics, OPTION_126), false, 0, 0, Mark::First},
    {"OPTION_127 = ", offsetof(QXLibConfig::Statics, OPTION_127), false, 0, 0, Mark::First},
    {"OPTION_128 = ", offsetof(QXLibConfig::Statics, OPTION_128), false, 0, 0, Mark::First},
    {"OPTION_129 = ", offsetof(QXLibConfig::Statics, OPTION_129), false, 0, 0, Mark::First},
    {"OPTION_130 = ", offsetof(QXLibConfig::Statics, OPTION_130), false, 0, 0, Mark::First},
    {"OPTION_131 = ", offsetof(QXLibConfig::Statics, OPTION_131), false, 0, 0, Mark::First},
    {"OPTION_132 = ", offsetof(QXLibConfig::Statics, OPTION_132), false, 0, 0, Mark::First},
    {"OPTION_133 = ", offsetof(QXLibConfig::Statics, OPTION_133), false, 0, 0, Mark::First},
    {"OPTION_134 = ", offsetof(QXLibConfig::Statics, OPTION_134), true, 16, 16, Mark::First},
    {"OPTION_135 = ", offsetof(QXLibConfig::Statics, OPTION_135), false, 0, 0, Mark::First},
    {"OPTION_136 = ", offsetof(QXLibConfig::Statics, OPTION_136), false, 0, 0, Mark::First},
    {"OPTION_137 = ", offsetof(QXLibConfig::Statics, OPTION_137), false, 0, 0, Mark::First},
    {"OPTION_138 = ", offsetof(QXLibConfig::Statics, OPTION_138), false, 0, 0, Mark::First},
    {"OPTION_139 = ", offsetof(QXLibConfig::Statics, OPTION_139), false, 0, 0, Mark::First},
    {"OPTION_140 = ", offsetof(QXLibConfig::Statics, OPTION_140), false, 0, 0, Mark::First},
    {"OPTION_141 = ", offsetof(QXLibConfig::Statics, OPTION_141), false, 0, 0, Mark::First},
    {"OPTION_142 = ", offsetof(QXLibConfig::Statics, OPTION_142), false, 0, 0, Mark::First},
    {"OPTION_143 = ", offsetof(QXLibConfig::Statics, OPTION_143), false, 0, 0, Mark::First},
    {"OPTION_144 = ", offsetof(QXLibConfig::Statics, OPTION_144), false, 0, 0, Mark::First},
    {"OPTION_145 = ", offsetof(QXLibConfig::Statics, OPTION_145), false, 0, 0, Mark::First},
    {"OPTION_146 = ", offsetof(QXLibConfig::Statics, OPTION_146), false, 1, 1, Mark::First},
    {"OPTION_147 = ", offsetof(QXLibConfig::Statics, OPTION_147), true, 100, 100, Mark::First},
    {"OPTION_148 = ", offsetof(QXLibConfig::Statics, OPTION_148), true, 1, 1, Mark::First},
    {"OPTION_149 = ", offsetof(QXLibConfig::Statics, OPTION_149), false, 1, 1, Mark::First},
    {"OPTION_150 = ", offsetof(QXLibConfig::Statics, OPTION_150), false, 0, 0, Mark::First},
    {"OPTION_151 = ", offsetof(QXLibConfig::Statics, OPTION_151), true, 30000, 30000, Mark::First},
    {"OPTION_152 = ", offsetof(QXLibConfig::Statics, OPTION_152), false, 0, 0, Mark::Second},
    {"OPTION_153 = ", offsetof(QXLibConfig::Statics, OPTION_153), false, 0, 0, Mark::First},
    {"OPTION_154 = ", offsetof(QXLibConfig::Statics, OPTION_154), false, 0, 0, Mark::First},
    {"OPTION_155 = ", offsetof(QXLibConfig::Statics, OPTION_155), false, 0, 0, Mark::First},
    {"OPTION_156 = ", offsetof(QXLibConfig::Statics, OPTION_156), false, 0, 0, Mark::First},
    {"OPTION_157 = ", offsetof(QXLibConfig::Statics, OPTION_157), false, 0, 0, Mark::First},
    {"OPTION_158 = ", offsetof(QXLibConfig::Statics, OPTION_158), false, 0, 0, Mark::First},
    {"OPTION_159 = ", offsetof(QXLibConfig::Statics, OPTION_159), false, 0, 0, Mark::First},
    {"OPTION_160 = ", offsetof(QXLibConfig::Statics, OPTION_160), false, 0, 0, Mark::First},
    {"OPTION_161 = ", offsetof(QXLibConfig::Statics, OPTION_161), false, 0, 0, Mark::First},
    {"OPTION_162 = ", offsetof(QXLibConfig::Statics, OPTION_162), false, 0, 0, Mark::First},
    {"OPTION_163 = ", offsetof(QXLibConfig::Statics, OPTION_163), false, 0, 0, Mark::First},
    {"OPTION_164 = ", offsetof(QXLibConfig::Statics, OPTION_164), false, 0, 0, Mark::First},
    {"OPTION_165 = ", offsetof(QXLibConfig::Statics, OPTION_165), false, 0, 0, Mark::First},
    {"OPTION_166 = ", offsetof(QXLibConfig::Statics, OPTION_166), true, 7000, 7000, Mark::First},
    {"OPTION_167 = ", offsetof(QXLibConfig::Statics, OPTION_167), true, -1, -1, Mark::First},
    {"OPTION_168 = ", offsetof(QXLibConfig::Statics, OPTION_168), true, -1, -1, Mark::First},
    {"OPTION_169 = ", offsetof(QXLibConfig::Statics, OPTION_169), true, -1, -1, Mark::First},
    {"OPTION_170 = ", offsetof(QXLibConfig::Statics, OPTION_170), true, -1, -1, Mark::First},
    {"OPTION_171 = ", offsetof(QXLibConfig::Statics, OPTION_171), true, 0, 0, Mark::First},
    {"OPTION_172 = ", offsetof(QXLibConfig::Statics, OPTION_172), true, 1, 1, Mark::First},
    {"OPTION_173 = ", offsetof(QXLibConfig::Statics, OPTION_173), true, 4, 4, Mark::First},
    {"PATH_WORK_LENGTH = ", offsetof(QXLibConfig::Statics, PATH_WORK_LENGTH), true, 9000, 400, Mark::First},
    {"PATH_FINDING_OPTION = ", offsetof(QXLibConfig::Statics, PATH_FINDING_OPTION), false, 0, 0, Mark::First},
};

namespace {

constexpr const char* kSeparator = "========================================";
constexpr const char* kTitle = "QXLib configuration";
constexpr const char* kHeading = "values that differ from their defaults are marked";
constexpr const char* kChangePrefix = "<";
constexpr const char* kMarks[] = {"*", "+", "#"};
constexpr const char* kChangeClose = "> ";
constexpr const char* kFiller = "    ";
constexpr const char* kClosing[] = {
    "<*> changed",
    "<+> changed, display",
    "<#> changed, packs",
    "end of configuration",
};

void printText(java_io_PrintStream* out, const char* text) { out->print(mrc::newString(text)); }
void printLine(java_io_PrintStream* out, const char* text) { out->println(mrc::newString(text)); }

}  // namespace

void QXLibConfig::clinit() {
    Statics& s = statics;
    s.SCREEN_WIDTH = 800;
    s.SCREEN_HEIGHT = 480;
    s.GC_AFTER_RELEASE = 1;
    s.GC_FREE_MEMORY_THRESHOLD = 0;
    s.FRAME_STATISTICS = 1;
    s.OPTION_5 = 1;
    s.KEEP_RUNNING_AFTER_LOOP = 0;
    s.OPTION_7 = 0;
    s.OPTION_8 = 0;
    s.OPTION_9 = 1;
    s.USE_BACK_BUFFER = 0;
    s.TARGET_FPS = 1000;
    s.SLEEP_TO_PACE = 1;
    s.USE_SERIAL_CALLS = 0;
    s.CALL_IDLE_HOOK = 1;
    s.DETECT_LONG_GAPS = 0;
    s.LONG_GAP_MS = 3000;
    s.OPTION_17 = 0;
    s.OPTION_18 = 0;
    s.OPTION_19 = 0;
    s.SOFT_KEYS_LEFT_FIRST = 1;
    s.KEY_SOFT_LEFT = -6;
    s.KEY_SOFT_RIGHT = -7;
    s.KEY_FIRE = -5;
    s.KEY_UP = -1;
    s.KEY_DOWN = -2;
    s.KEY_LEFT = -3;
    s.KEY_RIGHT = -4;
    s.KEYS_AS_HELD_COUNTS = 0;
    s.KEY_CODES_ABSOLUTE = 0;
    s.SINGLE_KEY_MODE = 0;
    s.OPTION_31 = 0;
    s.FIXED_POINT_BITS = 8;
    s.ANGLE_BITS = 8;
    s.OPTION_34 = 1;
    s.OPTION_35 = 1;
    s.OPTION_36 = 0;
    s.SOUND_ENABLED = 1;
    s.SOUND_CHANNELS = 2;
    s.SOUND_THREADED = 1;
    s.OPTION_40 = 1;
    s.SOUND_OPTION_41 = 0;
    s.SOUND_OPTION_42 = 1;
    s.SOUND_OPTION_43 = 1;
    s.SOUND_OPTION_44 = 1;
    s.SOUND_OPTION_45 = 0;
    s.SOUND_OPTION_46 = 0;
    s.SOUND_STOP_ON_PAUSE = 1;
    s.SOUND_OPTION_48 = 0;
    s.OPTION_49 = 256;
    s.OPTION_50 = 0;
    s.OPTION_51 = 0;
    s.OPTION_52 = 0;
    s.PACKS_USE_LZMA = 0;
    s.OPTION_54 = 0;
    s.OPTION_55 = 0;
    s.OPTION_56 = 1;
    s.SOUND_TICK_LIMIT = 4;
    s.OPTION_58 = 0;
    s.FRAME_TIME_MS = 25;
    s.OPTION_60 = 16;
    s.OPTION_61 = 3;
    s.OPTION_62 = 256;
    s.OPTION_63 = 256;
    s.OPTION_64 = 8;
    s.OPTION_65 = 0;
    s.OPTION_66 = 0;
    s.OPTION_67 = 0;
    s.OPTION_68 = 0;
    s.OPTION_69 = 1;
    s.OPTION_70 = 0;
    s.OPTION_71 = 0;
    s.OPTION_72 = 0;
    s.OPTION_73 = 0;
    s.OPTION_74 = 0;
    s.OPTION_75 = 0;
    s.OPTION_76 = 0;
    s.OPTION_77 = 0;
    s.OPTION_78 = 0;
    s.OPTION_79 = 0;
    s.OPTION_80 = 0;
    s.OPTION_81 = 0;
    s.OPTION_82 = 1;
    s.OPTION_83 = 0;
    s.OPTION_84 = 0;
    s.OPTION_85 = 0;
    s.OPTION_86 = 0;
    s.OPTION_87 = 0;
    s.OPTION_88 = 0;
    s.OPTION_89 = 1;
    s.OPTION_90 = 0;
    s.OPTION_91 = 0;
    s.OPTION_92 = 0;
    s.OPTION_93 = 0;
    s.OPTION_94 = 1;
    s.OPTION_95 = 16;
    s.OPTION_96 = 0;
    s.OPTION_97 = 0;
    s.OPTION_98 = 1;
    s.OPTION_99 = 0;
    s.OPTION_100 = 1;
    s.OPTION_101 = 1;
    s.OPTION_102 = 1;
    s.OPTION_103 = 1;
    s.OPTION_104 = 1;
    s.OPTION_105 = 1;
    s.OPTION_106 = 1;
    s.OPTION_107 = 1;
    s.OPTION_108 = 1;
    s.OPTION_109 = 1;
    s.OPTION_110 = 0;
    s.OPTION_111 = 0;
    s.OPTION_112 = 0;
    s.OPTION_113 = 0;
    s.OPTION_114 = 0;
    s.OPTION_115 = 0;
    s.OPTION_116 = 0;
    s.OPTION_117 = 0;
    s.OPTION_118 = 0;
    s.OPTION_119 = 0;
    s.OPTION_120 = 0;
    s.OPTION_121 = 0;
    s.OPTION_122 = 0;
    s.OPTION_123 = 0;
    s.OPTION_124 = 0;
    s.OPTION_125 = 0;
    s.OPTION_126 = 0;
    s.OPTION_127 = 0;
    s.OPTION_128 = 0;
    s.OPTION_129 = 0;
    s.OPTION_130 = 0;
    s.OPTION_131 = 0;
    s.OPTION_132 = 0;
    s.OPTION_133 = 0;
    s.OPTION_134 = 16;
    s.OPTION_135 = 0;
    s.OPTION_136 = 0;
    s.OPTION_137 = 0;
    s.OPTION_138 = 0;
    s.OPTION_139 = 0;
    s.OPTION_140 = 0;
    s.OPTION_141 = 0;
    s.OPTION_142 = 0;
    s.OPTION_143 = 0;
    s.OPTION_144 = 0;
    s.OPTION_145 = 0;
    s.OPTION_146 = 1;
    s.OPTION_147 = 100;
    s.OPTION_148 = 1;
    s.OPTION_149 = 1;
    s.OPTION_150 = 0;
    s.OPTION_151 = 30000;
    s.OPTION_152 = 0;
    s.OPTION_153 = 0;
    s.OPTION_154 = 0;
    s.OPTION_155 = 0;
    s.OPTION_156 = 0;
    s.OPTION_157 = 0;
    s.OPTION_158 = 0;
    s.OPTION_159 = 0;
    s.OPTION_160 = 0;
    s.OPTION_161 = 0;
    s.OPTION_162 = 0;
    s.OPTION_163 = 0;
    s.OPTION_164 = 0;
    s.OPTION_165 = 0;
    s.OPTION_166 = 7000;
    s.OPTION_167 = -1;
    s.OPTION_168 = -1;
    s.OPTION_169 = -1;
    s.OPTION_170 = -1;
    s.OPTION_171 = 0;
    s.OPTION_172 = 1;
    s.OPTION_173 = 4;
    s.PATH_WORK_LENGTH = 9000;
    s.PATH_FINDING_OPTION = 0;
}

int32_t QXLibConfig::valueAt(int32_t position) {
    if (position < 0 || position >= kValueCount) return 0;
    const Value& v = kValues[position];
    const auto* base = reinterpret_cast<const unsigned char*>(&statics) + v.offset;
    if (v.isInt) {
        int32_t value;
        std::memcpy(&value, base, sizeof value);
        return value;
    }
    return *base != 0 ? 1 : 0;
}

bool QXLibConfig::differsFromReference(int32_t position) {
    if (position < 0 || position >= kValueCount) return false;
    return valueAt(position) != kValues[position].reference;
}

void QXLibConfig::dump() { dump(mrc::systemStatics.out); }

void QXLibConfig::dump(java_io_PrintStream* out) {
    if (out == nullptr) return;
    for (const char* line : {kSeparator, kSeparator, kTitle, kSeparator, kHeading, kSeparator}) printLine(out, line);
    for (int32_t p = 0; p < kValueCount; ++p) {
        const Value& v = kValues[p];
        if (differsFromReference(p)) {
            printText(out, kChangePrefix);
            printText(out, kMarks[static_cast<int>(v.mark)]);
            printText(out, kChangeClose);
        } else {
            printText(out, kFiller);
        }
        StringBuffer* line = mrc::newObject<StringBuffer>();
        if (line == nullptr) return;
        line->init();
        line->appendCString(v.name);
        if (v.isInt) {
            line->appendInt(valueAt(p));
        } else {
            line->appendBool(valueAt(p) != 0);
        }
        out->println(line->toString());
    }
    for (const char* line : kClosing) printLine(out, line);
    for (int i = 0; i < 3; ++i) printLine(out, kSeparator);
}
