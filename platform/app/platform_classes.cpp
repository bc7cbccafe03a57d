#include "platform/app/platform_classes.h"

#include "platform/io/file.h"
#include "platform/io/resource_archive.h"
#include "platform/lcdui/command.h"
#include "platform/lcdui/displayable.h"
#include "platform/lcdui/font.h"
#include "platform/lcdui/image.h"
#include "platform/rms/record_store.h"
#include "runtime/lang/lang_classes.h"

namespace mrc {

void registerPlatformClasses() {
    NewInstanceFactory::add<javax_microedition_io_File>();
    NewInstanceFactory::add<javax_microedition_io_ResourceInputStream>();
    NewInstanceFactory::add<javax_microedition_lcdui_Command>();
    NewInstanceFactory::add<javax_microedition_lcdui_Display>();
    NewInstanceFactory::add<javax_microedition_lcdui_Font>();
    NewInstanceFactory::add<javax_microedition_lcdui_Image>();
    NewInstanceFactory::add<javax_microedition_rms_RecordEnumerationImpl>();
    NewInstanceFactory::add<javax_microedition_rms_RecordStore>();
    addThrowable<kClass_javax_microedition_rms_InvalidRecordIDException>();
    addThrowable<kClass_javax_microedition_rms_RecordStoreException>();
    addThrowable<kClass_javax_microedition_rms_RecordStoreFullException>();
    addThrowable<kClass_javax_microedition_rms_RecordStoreNotFoundException>();
}

}  // namespace mrc
