// The framework's classes the translated code creates by class id.
#include <gtest/gtest.h>

#include "framework/core/ketra_krvd.h"
#include "runtime/core/object.h"
#include "tests/runtime/runtime_fixture.h"

namespace mrc::test {
namespace {

using FrameworkClassesTest = RuntimeTest;

TEST_F(FrameworkClassesTest, EveryListedIdCreatesItsObjectOthersGiveNull) {
    registerFrameworkClasses();
    for (int32_t id : {kClass_ASprite, kClass_ASpriteInstance, kClass_KetraKRVD, kClass_WM_JSound,
                       kClass_WM_JSound_IO, kClass_WM_JSound_SND}) {
        SCOPED_TRACE(kClassNames[id]);
        ASSERT_TRUE(NewInstanceFactory::isListed(id));
        Object* created = NewInstanceFactory::newInstance(id);
        ASSERT_NE(created, nullptr);
        EXPECT_EQ(created->classId(), id);
    }
    // Not created by id: the channel player and the sound configuration (an interface).
    for (int32_t id : {kClass_QXLibPlayer, kClass_WM_JSound_Config}) {
        SCOPED_TRACE(kClassNames[id]);
        EXPECT_EQ(NewInstanceFactory::newInstance(id), nullptr);
    }
    // Listed, but the promotion screen has no class of its own to create.
    EXPECT_EQ(NewInstanceFactory::newInstance(kClass_IGP), nullptr);
}

}  // namespace
}  // namespace mrc::test
