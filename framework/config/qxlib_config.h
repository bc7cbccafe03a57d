// QXLibConfig: the framework's configuration values, statics set once by the class's static
// initialiser, and their dump at start-up. The class has no instances.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/core/class_ids.h"

class java_io_PrintStream;

class QXLibConfig {
public:
    static constexpr uint16_t kClassId = mrc::kClass_QXLibConfig;
    static constexpr int32_t kValueCount = 176;

    // Every value in dump order; booleans are one byte. Values without a reader are kept so that
    // the dump shows the whole configuration.
    struct Statics {
        int32_t SCREEN_WIDTH;  // 0
        int32_t SCREEN_HEIGHT;  // 1
        uint8_t GC_AFTER_RELEASE;  // 2
        int32_t GC_FREE_MEMORY_THRESHOLD;  // 3
        uint8_t FRAME_STATISTICS;  // 4
        uint8_t OPTION_5;  // 5
        uint8_t KEEP_RUNNING_AFTER_LOOP;  // 6
        uint8_t OPTION_7;  // 7
        uint8_t OPTION_8;  // 8
        uint8_t OPTION_9;  // 9
        uint8_t USE_BACK_BUFFER;  // 10
        int32_t TARGET_FPS;  // 11
        uint8_t SLEEP_TO_PACE;  // 12
        uint8_t USE_SERIAL_CALLS;  // 13
        uint8_t CALL_IDLE_HOOK;  // 14
        uint8_t DETECT_LONG_GAPS;  // 15
        int32_t LONG_GAP_MS;  // 16
        uint8_t OPTION_17;  // 17
        uint8_t OPTION_18;  // 18
        uint8_t OPTION_19;  // 19
        uint8_t SOFT_KEYS_LEFT_FIRST;  // 20
        int32_t KEY_SOFT_LEFT;  // 21
        int32_t KEY_SOFT_RIGHT;  // 22
        int32_t KEY_FIRE;  // 23
        int32_t KEY_UP;  // 24
        int32_t KEY_DOWN;  // 25
        int32_t KEY_LEFT;  // 26
        int32_t KEY_RIGHT;  // 27
        uint8_t KEYS_AS_HELD_COUNTS;  // 28
        uint8_t KEY_CODES_ABSOLUTE;  // 29
        uint8_t SINGLE_KEY_MODE;  // 30
        uint8_t OPTION_31;  // 31
        int32_t FIXED_POINT_BITS;  // 32
        int32_t ANGLE_BITS;  // 33
        uint8_t OPTION_34;  // 34
        uint8_t OPTION_35;  // 35
        uint8_t OPTION_36;  // 36
        uint8_t SOUND_ENABLED;  // 37
        int32_t SOUND_CHANNELS;  // 38
        uint8_t SOUND_THREADED;  // 39
        uint8_t OPTION_40;  // 40
        uint8_t SOUND_OPTION_41;  // 41
        uint8_t SOUND_OPTION_42;  // 42
        uint8_t SOUND_OPTION_43;  // 43
        uint8_t SOUND_OPTION_44;  // 44
        uint8_t SOUND_OPTION_45;  // 45
        uint8_t SOUND_OPTION_46;  // 46
        uint8_t SOUND_STOP_ON_PAUSE;  // 47
        uint8_t SOUND_OPTION_48;  // 48
        int32_t OPTION_49;  // 49
        uint8_t OPTION_50;  // 50
        uint8_t OPTION_51;  // 51
        uint8_t OPTION_52;  // 52
        uint8_t PACKS_USE_LZMA;  // 53
        uint8_t OPTION_54;  // 54
        uint8_t OPTION_55;  // 55
        uint8_t OPTION_56;  // 56
        int32_t SOUND_TICK_LIMIT;  // 57
        uint8_t OPTION_58;  // 58
        int32_t FRAME_TIME_MS;  // 59
        int32_t OPTION_60;  // 60
        int32_t OPTION_61;  // 61
        int32_t OPTION_62;  // 62
        int32_t OPTION_63;  // 63
        int32_t OPTION_64;  // 64
        uint8_t OPTION_65;  // 65
        uint8_t OPTION_66;  // 66
        uint8_t OPTION_67;  // 67
        uint8_t OPTION_68;  // 68
        uint8_t OPTION_69;  // 69
        uint8_t OPTION_70;  // 70
        uint8_t OPTION_71;  // 71
        uint8_t OPTION_72;  // 72
        uint8_t OPTION_73;  // 73
        uint8_t OPTION_74;  // 74
        uint8_t OPTION_75;  // 75
        uint8_t OPTION_76;  // 76
        uint8_t OPTION_77;  // 77
        uint8_t OPTION_78;  // 78
        uint8_t OPTION_79;  // 79
        uint8_t OPTION_80;  // 80
        uint8_t OPTION_81;  // 81
        int32_t OPTION_82;  // 82
        uint8_t OPTION_83;  // 83
        uint8_t OPTION_84;  // 84
        uint8_t OPTION_85;  // 85
        uint8_t OPTION_86;  // 86
        uint8_t OPTION_87;  // 87
        uint8_t OPTION_88;  // 88
        uint8_t OPTION_89;  // 89
        uint8_t OPTION_90;  // 90
        uint8_t OPTION_91;  // 91
        uint8_t OPTION_92;  // 92
        uint8_t OPTION_93;  // 93
        uint8_t OPTION_94;  // 94
        int32_t OPTION_95;  // 95
        uint8_t OPTION_96;  // 96
        uint8_t OPTION_97;  // 97
        uint8_t OPTION_98;  // 98
        uint8_t OPTION_99;  // 99
        uint8_t OPTION_100;  // 100
        uint8_t OPTION_101;  // 101
        uint8_t OPTION_102;  // 102
        uint8_t OPTION_103;  // 103
        uint8_t OPTION_104;  // 104
        uint8_t OPTION_105;  // 105
        uint8_t OPTION_106;  // 106
        uint8_t OPTION_107;  // 107
        uint8_t OPTION_108;  // 108
        uint8_t OPTION_109;  // 109
        uint8_t OPTION_110;  // 110
        uint8_t OPTION_111;  // 111
        uint8_t OPTION_112;  // 112
        uint8_t OPTION_113;  // 113
        uint8_t OPTION_114;  // 114
        uint8_t OPTION_115;  // 115
        uint8_t OPTION_116;  // 116
        uint8_t OPTION_117;  // 117
        uint8_t OPTION_118;  // 118
        uint8_t OPTION_119;  // 119
        uint8_t OPTION_120;  // 120
        uint8_t OPTION_121;  // 121
        uint8_t OPTION_122;  // 122
        uint8_t OPTION_123;  // 123
        uint8_t OPTION_124;  // 124
        uint8_t OPTION_125;  // 125
        uint8_t OPTION_126;  // 126
        uint8_t OPTION_127;  // 127
        uint8_t OPTION_128;  // 128
        uint8_t OPTION_129;  // 129
        uint8_t OPTION_130;  // 130
        uint8_t OPTION_131;  // 131
        uint8_t OPTION_132;  // 132
        uint8_t OPTION_133;  // 133
        int32_t OPTION_134;  // 134
        uint8_t OPTION_135;  // 135
        uint8_t OPTION_136;  // 136
        uint8_t OPTION_137;  // 137
        uint8_t OPTION_138;  // 138
        uint8_t OPTION_139;  // 139
        uint8_t OPTION_140;  // 140
        uint8_t OPTION_141;  // 141
        uint8_t OPTION_142;  // 142
        uint8_t OPTION_143;  // 143
        uint8_t OPTION_144;  // 144
        uint8_t OPTION_145;  // 145
        uint8_t OPTION_146;  // 146
        int32_t OPTION_147;  // 147
        int32_t OPTION_148;  // 148
        uint8_t OPTION_149;  // 149
        uint8_t OPTION_150;  // 150
        int32_t OPTION_151;  // 151
        uint8_t OPTION_152;  // 152
        uint8_t OPTION_153;  // 153
        uint8_t OPTION_154;  // 154
        uint8_t OPTION_155;  // 155
        uint8_t OPTION_156;  // 156
        uint8_t OPTION_157;  // 157
        uint8_t OPTION_158;  // 158
        uint8_t OPTION_159;  // 159
        uint8_t OPTION_160;  // 160
        uint8_t OPTION_161;  // 161
        uint8_t OPTION_162;  // 162
        uint8_t OPTION_163;  // 163
        uint8_t OPTION_164;  // 164
        uint8_t OPTION_165;  // 165
        int32_t OPTION_166;  // 166
        int32_t OPTION_167;  // 167
        int32_t OPTION_168;  // 168
        int32_t OPTION_169;  // 169
        int32_t OPTION_170;  // 170
        int32_t OPTION_171;  // 171
        int32_t OPTION_172;  // 172
        int32_t OPTION_173;  // 173
        int32_t PATH_WORK_LENGTH;  // 174
        uint8_t PATH_FINDING_OPTION;  // 175
    };
    static Statics statics;

    // Which mark a changed value carries in the dump.
    enum class Mark : uint8_t { First, Second, Third };
    struct Value {
        const char* name;  // the name constant, separator included
        std::size_t offset;
        bool isInt;
        int32_t shipped;
        int32_t reference;
        Mark mark;
    };
    static const Value kValues[kValueCount];

    // The static initialiser: the shipped values.
    static void clinit();

    // The current value at `position` (booleans as 0 or 1); 0 outside the table.
    static int32_t valueAt(int32_t position);
    static bool differsFromReference(int32_t position);

    // The configuration as lines on System.out, changed values marked.
    static void dump();
    // The same onto `out`; a null stream prints nothing.
    static void dump(java_io_PrintStream* out);

    static bool gcAfterRelease() { return statics.GC_AFTER_RELEASE != 0; }
    static bool packsUseLzma() { return statics.PACKS_USE_LZMA != 0; }
};
