#include "framework/config/qxlib_config.h"

QXLibConfig::Statics QXLibConfig::statics;

void QXLibConfig::clinit() {
    statics.GC_AFTER_RELEASE = 1;
    statics.PACKS_USE_LZMA = 0;
}
