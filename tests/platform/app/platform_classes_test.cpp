// The phone services' classes the translated code creates by class id.
#include "platform/app/platform_classes.h"

#include <gtest/gtest.h>

#include "runtime/core/object.h"
#include "tests/runtime/runtime_fixture.h"

namespace mrc::test {
namespace {

using PlatformClassesTest = RuntimeTest;

TEST_F(PlatformClassesTest, EveryListedIdCreatesItsObjectOthersGiveNull) {
    registerPlatformClasses();
    for (int32_t id : {kClass_javax_microedition_io_File, kClass_javax_microedition_io_ResourceInputStream,
                       kClass_javax_microedition_lcdui_Command, kClass_javax_microedition_lcdui_Display,
                       kClass_javax_microedition_lcdui_Font, kClass_javax_microedition_lcdui_Image,
                       kClass_javax_microedition_rms_InvalidRecordIDException,
                       kClass_javax_microedition_rms_RecordEnumerationImpl, kClass_javax_microedition_rms_RecordStore,
                       kClass_javax_microedition_rms_RecordStoreException,
                       kClass_javax_microedition_rms_RecordStoreFullException,
                       kClass_javax_microedition_rms_RecordStoreNotFoundException}) {
        SCOPED_TRACE(kClassNames[id]);
        ASSERT_TRUE(NewInstanceFactory::isListed(id));
        Object* created = NewInstanceFactory::newInstance(id);
        ASSERT_NE(created, nullptr);
        EXPECT_EQ(created->classId(), id);
    }
    // Classes of this layer that are not created by id.
    for (int32_t id : {kClass_javax_microedition_lcdui_Graphics, kClass_javax_microedition_io_HttpConnection,
                       kClass_javax_microedition_rms_RecordStoreNotOpenException}) {
        SCOPED_TRACE(kClassNames[id]);
        EXPECT_EQ(NewInstanceFactory::newInstance(id), nullptr);
    }
}

}  // namespace
}  // namespace mrc::test
