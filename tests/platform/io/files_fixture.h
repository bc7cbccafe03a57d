// A started runtime over a data folder and a save folder of its own, with the file services
// started as the program starts them: helpers for Java strings and arrays, the archive, the
// string constants and the pending exception.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/core/log.h"
#include "host/fs/file.h"
#include "host/fs/paths.h"
#include "platform/io/files.h"
#include "runtime/core/arrays.h"
#include "runtime/core/static_class.h"
#include "runtime/lang/string.h"
#include "runtime/lang/throwable.h"
#include "tools/formats/archive_file.h"
#include "tools/formats/constants_file.h"
#include "tests/runtime/runtime_fixture.h"
#include "tests/support/temp_folder.h"

namespace mrc::test {

using Bytes = std::vector<uint8_t>;

inline Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

// Stand-ins for the constants the file classes use (the real texts come with the data).
inline const std::map<int, std::string>& fileConstants() {
    static const std::map<int, std::string> texts = {
        {1, ""},              // no message; vendor and suite of the short opens
        {166, "store full"},  // RecordStoreFullException
        {167, "\\"},          // folder separator
        {168, "RMS_"},        // store file prefix
        {169, ".dat"},        // store file suffix
        {170, "store failure"},
        {171, "_"},  // before a record's id
        {583, "Array index out of range: "},
    };
    return texts;
}

inline Bytes constantsFile(const std::map<int, std::string>& texts = fileConstants()) {
    std::vector<std::string> strings(static_cast<std::size_t>(texts.rbegin()->first) + 1);
    for (const auto& [n, text] : texts) strings[static_cast<std::size_t>(n)] = text;
    return formats::writeConstantsFile(strings);
}

class FilesTest : public RuntimeTest {
protected:
    void SetUp() override {
        m_previous = host::fs::folders();
        std::filesystem::create_directories(dataDir());
        mrc::platform::initFiles(dataDir(), saveDir());
        host::fs::clearFaults();
        RuntimeTest::SetUp();
    }
    void TearDown() override {
        RuntimeTest::TearDown();
        host::fs::clearFaults();
        host::fs::setFolders(m_previous);
        StaticClass::setResourceOpener(nullptr);
    }

    std::filesystem::path dataDir() const { return m_root / "data"; }
    std::filesystem::path saveDir() const { return m_root / "save"; }
    static std::string device(std::string_view name) {
        // Appended in place: GCC 12 takes operator+ on a temporary for an overflow (-Warray-bounds).
        std::string path(host::fs::kInstallFolder);
        path += '\\';
        path += name;
        return path;
    }

    // data.bar in the data folder.
    void saveArchive(const formats::ArchiveWriter& archive) { ASSERT_TRUE(archive.save(dataDir() / "data.bar")); }
    // An archive holding the constants, read into the table through the resource opener.
    void loadFileConstants() {
        formats::ArchiveWriter archive;
        archive.add("constants.bin", constantsFile());
        saveArchive(archive);
        ASSERT_TRUE(statics()->loadConstants());
    }

    static String* string(std::string_view text) {
        std::u16string units;
        for (unsigned char c : text) units.push_back(c);
        return mrc::newString(units.data(), static_cast<int32_t>(units.size()));
    }
    static std::string text(String* s) { return isNull(s) ? "<null>" : s->toUtf8(); }
    static ByteArray* array(const Bytes& values) {
        ByteArray* a = om()->newByteArray(static_cast<int32_t>(values.size()));
        if (!values.empty()) std::memcpy(a->elements(), values.data(), values.size());
        return a;
    }
    static Bytes bytes(ByteArray* a) {
        if (isNull(a)) return {};
        auto* first = reinterpret_cast<const uint8_t*>(a->elements());
        return Bytes(first, first + a->length);
    }

    // The pending exception's class id (0 for none); cleared.
    static uint16_t takePending() {
        Object* e = app()->getPendingException();
        app()->clearPendingException();
        return e ? e->classId() : 0;
    }
    // The pending exception's message; the exception stays.
    static std::string pendingMessage() {
        auto* e = static_cast<java_lang_Throwable*>(app()->getPendingException());
        return e ? text(e->message) : "<nothing pending>";
    }

    Bytes saved(std::string_view file) const { return test_support::readBytes(saveDir() / file); }
    bool savedExists(std::string_view file) const { return std::filesystem::exists(saveDir() / file); }

    test_support::TempFolder m_root{"veltrano-files"};

private:
    host::fs::Folders m_previous;
};

}  // namespace mrc::test
