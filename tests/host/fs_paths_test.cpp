#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "host/core/log.h"
#include "tests/host/fs_test_support.h"

namespace {

using fs_test::FsTest;
using Parts = std::optional<std::vector<std::string>>;
namespace fs = host::fs;

TEST(FsPaths, DevicePathsMapBelowTheInstallFolderOnly) {
    struct Case {
        const char* path;
        Parts parts;
    };
    const Case cases[] = {
        {"\\Program Files\\Veltrano\\Wrath Of Kelos\\data.bar", std::vector<std::string>{"data.bar"}},
        {"\\program files\\veltrano\\wrath of kelos\\DATA.BAR", std::vector<std::string>{"DATA.BAR"}},
        {"/PROGRAM FILES/Veltrano//wrath of kelos/./sub\\x.dat", std::vector<std::string>{"sub", "x.dat"}},
        {"\\Program Files\\Veltrano\\Wrath Of Kelos", std::vector<std::string>{}},
        {"sounds.bar", std::vector<std::string>{"sounds.bar"}},  // no folder: the install folder
        {"sub/x.bar", std::vector<std::string>{"sub", "x.bar"}},
        {"/sounds.bar", std::nullopt},  // the device's root folder
        {"\\Program Files\\Other\\x", std::nullopt},
        {"\\Program Files\\Veltrano\\Wrath Of Kelos2\\x", std::nullopt},
        {"\\Program Files\\Veltrano\\Wrath Of Kelos\\..\\x", std::nullopt},
        {"..\\x", std::nullopt},
        {"C:\\x", std::nullopt},
        {"", std::nullopt},
        {"\\", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(fs::installRelativeParts(c.path), c.parts) << c.path;
    EXPECT_EQ(fs::installRelativeParts(std::string_view("a\0b", 3)), std::nullopt);
}

TEST(FsPaths, OnlyLettersAToZFold) { EXPECT_EQ(fs::asciiLower("AZaz09_\xC4\xD6 .BAR"), "azaz09_\xC4\xD6 .bar"); }

TEST(FsPaths, DefaultSaveFolderFollowsTheDataHome) {
    auto keep = [](const char* name) -> std::optional<std::string> {
        const char* v = std::getenv(name);
        return v ? std::optional<std::string>(v) : std::nullopt;
    };
    auto restore = [](const char* name, const std::optional<std::string>& v) {
        if (v) ::setenv(name, v->c_str(), 1);
        else ::unsetenv(name);
    };
    auto xdg = keep("XDG_DATA_HOME"), home = keep("HOME");
    ::setenv("XDG_DATA_HOME", "/srv/xdg", 1);
    ::setenv("HOME", "/home/p", 1);
    EXPECT_EQ(fs::defaultSaveFolder(), std::filesystem::path("/srv/xdg/veltrano"));
    ::setenv("XDG_DATA_HOME", "relative/ignored", 1);
    EXPECT_EQ(fs::defaultSaveFolder(), std::filesystem::path("/home/p/.local/share/veltrano"));
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(fs::defaultSaveFolder(), std::filesystem::path("/home/p/.local/share/veltrano"));
    restore("XDG_DATA_HOME", xdg);
    restore("HOME", home);
}

using FsResolve = FsTest;

TEST_F(FsResolve, ReadsFindFilesInAnyCaseSaveFolderFirst) {
    test_support::writeText(dataDir() / "Data.BAR", "archive");
    test_support::writeText(dataDir() / "Levels" / "One.bin", "level");
    test_support::writeText(dataDir() / "both.txt", "data");
    test_support::writeText(saveDir() / "BOTH.TXT", "save");
    test_support::writeText(dataDir() / "folder" / "x", "");

    struct Case {
        std::string path;
        std::optional<std::filesystem::path> real;
    };
    const Case cases[] = {
        {device("data.bar"), dataDir() / "Data.BAR"},
        {"\\PROGRAM FILES\\VELTRANO\\WRATH OF KELOS\\DATA.bar", dataDir() / "Data.BAR"},
        {device("levels/ONE.BIN"), dataDir() / "Levels" / "One.bin"},
        {"levels\\one.bin", dataDir() / "Levels" / "One.bin"},
        {device("both.txt"), saveDir() / "BOTH.TXT"},
        {device("folder"), std::nullopt},  // a folder is not a file
        {device("missing.bin"), std::nullopt},
        {device("data.bar/x"), std::nullopt},
        {"/data.bar", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(fs::resolveForRead(c.path), c.real) << c.path;
}

TEST_F(FsResolve, CaseVariantsInOneFolderAlwaysAnswerTheSameFile) {
    test_support::writeText(dataDir() / "b.TXT", "1");
    test_support::writeText(dataDir() / "B.txt", "2");
    EXPECT_EQ(fs::resolveForRead(device("b.txt")), dataDir() / "B.txt");  // first in name order
    EXPECT_EQ(fs::resolveForRead(device("b.TXT")), dataDir() / "b.TXT");  // the exact name wins
}

TEST_F(FsResolve, WriteTargetsAndTheFoldersCreatedForThem) {
    test_support::writeText(dataDir() / "Sub" / "Deeper" / "x", "");
    test_support::writeText(saveDir() / "RMS_Game.dat", "");
    struct Case {
        std::string path;
        std::optional<std::filesystem::path> real;
    };
    const Case cases[] = {
        {device("data.bar"), saveDir() / "data.bar"},
        {device("rms_game.dat"), saveDir() / "RMS_Game.dat"},
        {"new.bin", saveDir() / "new.bin"},
        {device("sub/deeper/y"), saveDir() / "Sub" / "Deeper" / "y"},  // the device's folders, as named there
        {device("nofolder/y"), std::nullopt},
        {device(""), std::nullopt},
        {"\\Windows\\x", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(fs::resolveForWrite(c.path), c.real) << c.path;
    EXPECT_TRUE(std::filesystem::is_directory(saveDir() / "Sub" / "Deeper"));
    EXPECT_FALSE(std::filesystem::exists(saveDir() / "nofolder"));
}

TEST_F(FsResolve, SaveFolderIsCreatedOnTheFirstWrite) {
    host::fs::setFolders({dataDir(), saveDir() / "a" / "b"});
    EXPECT_FALSE(std::filesystem::exists(saveDir()));
    EXPECT_EQ(fs::resolveForWrite("x"), saveDir() / "a" / "b" / "x");
    EXPECT_TRUE(std::filesystem::is_directory(saveDir() / "a" / "b"));
}

TEST_F(FsResolve, UnusableSaveFolderIsTracedAndRefused) {
    test_support::writeText(saveDir(), "a file where the folder should be");
    host::LogCapture capture;
    EXPECT_EQ(fs::resolveForWrite("x"), std::nullopt);
    EXPECT_TRUE(capture.contains("cannot create the save folder"));
}

TEST_F(FsResolve, PathsLeavingTheFolderAreTraced) {
    host::LogCapture capture;
    EXPECT_EQ(fs::resolveForRead("..\\..\\etc\\passwd"), std::nullopt);
    EXPECT_TRUE(capture.contains("path leaves its folder"));
}

}  // namespace
