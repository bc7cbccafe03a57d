// A started runtime with the framework's and the game's statics initialised as start-up does
// (CObject's initialiser before Game's), the record store's file names among the constants, and
// the save folder in a temporary folder of its own. Helpers make objects and lists.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "framework/sprite/sprite_instance.h"
#include "game/flow/game.h"
#include "game/flow/game_statics.h"
#include "game/objects/cobject.h"
#include "host/core/clock.h"
#include "host/fs/file.h"
#include "host/fs/paths.h"
#include "tests/framework/framework_fixture.h"
#include "tests/runtime/lang/constants_support.h"
#include "tests/support/temp_folder.h"

namespace mrc::test {

// The texts the saves use: the store's name, its file names, and the failure traces.
inline const std::map<int, std::string>& saveConstants() {
    static const std::map<int, std::string> texts = {
        {1, ""},
        {108, "Veltrano"},
        {166, "store full"},
        {167, "\\"},
        {168, "RMS_"},
        {169, ".dat"},
        {170, "store failure"},
        {171, "_"},
        {486, "save: cannot close after adding"},
        {487, "save: cannot add"},
        {488, "save: cannot close after reading"},
        {489, "save: cannot read"},
        {490, "save: cannot close after writing"},
        {491, "save: cannot write"},
        {583, "Array index out of range: "},
    };
    return texts;
}

// A Java array of these objects. They stay in the initializer list's array on the stack (where
// the collector finds them) until the new array holds them. Never build a list through a
// std::vector: its heap storage is not scanned.
inline ObjectArray* objectList(std::initializer_list<CObject*> objects) {
    ObjectArray* a = ApplicationImpl::getApplication()->objectManager->newObjectArray(
        kClass_CObject, static_cast<int32_t>(objects.size()));
    int32_t i = 0;
    for (CObject* o : objects) a->elements()[i++] = o;
    return a;
}

class WorldTest : public FrameworkTest {
protected:
    void SetUp() override {
        registerGameStatics();
        m_previousFolders = host::fs::folders();
        host::fs::setFolders({m_root.path() / "data", saveDir()});
        host::fs::clearFaults();
        FrameworkTest::SetUp();
        installConstants(saveConstants());
        CObject::clinit();
        GameStatics::clinit();
        registerObjectClasses();
        // What start-up allocates for these Parts (initResources does it in the game).
        Game::initList40();
        Game::initSlots3440();
        Game::stateStatics.kindCounts = om()->newByteArray(Game::kKindCount);
        Game::stateStatics.kindIndex = om()->newShortArray(Game::kKindCount);
        Game::stateStatics.savedCounters = om()->newByteArray(Game::kSavedCounterCount);
    }
    void TearDown() override {
        FrameworkTest::TearDown();
        host::fs::clearFaults();
        host::fs::setFolders(m_previousFolders);
    }

    std::filesystem::path saveDir() const { return m_root.path() / "save"; }

    static IntArray* params(int32_t length, std::map<int32_t, int32_t> values = {}) {
        IntArray* a = om()->newIntArray(length);
        for (const auto& [i, v] : values) a->elements()[i] = v;
        return a;
    }
    static std::vector<int32_t> paramsOf(CObject* o) {
        return std::vector<int32_t>(o->m_params->elements(), o->m_params->elements() + o->m_params->length);
    }
    static CObject* object(int32_t id, int32_t type, std::map<int32_t, int32_t> values = {}, int32_t length = 50,
                           int32_t x = 0, int32_t y = 0) {
        return CObject::create(id, type, x, y, params(length, std::move(values)));
    }
    static ObjectArray* list(std::initializer_list<CObject*> objects) { return objectList(objects); }

    host::ManualClock clock{1000};
    test_support::TempFolder m_root{"veltrano-world"};

private:
    host::fs::Folders m_previousFolders;
};

}  // namespace mrc::test
