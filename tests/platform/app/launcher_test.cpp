// The command line of the executable and the localized start-up texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/fs/paths.h"
#include "host/window/instance_lock.h"
#include "platform/app/launcher.h"
#include "tools/formats/archive_file.h"
#include "tests/support/temp_folder.h"

namespace mrc::test {
namespace {

std::optional<LaunchOptions> parse(std::vector<std::string> args, std::string* errorOut = nullptr) {
    std::string error;
    auto o = parseCommandLine(args, error);
    if (errorOut) *errorOut = error;
    return o;
}

TEST(LauncherTest, OptionsFillTheStartUpOptions) {
    // Either form of a value, mixed.
    auto o = parse({"--data", "d", "--save-dir=s", "--headless", "--display", "ddraw", "--frames=25",
                    "--screenshot", "shot.png", "--input=in.txt", "--log", "log.txt", "--fixed-step=40",
                    "--frame-hashes", "h.txt", "--trace-states", "--quiet"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->dataDir, "d");
    EXPECT_EQ(o->saveDir, "s");
    EXPECT_EQ(o->shell.backend, host::Backend::Headless);
    EXPECT_FALSE(o->shell.backendChosen);
    EXPECT_EQ(o->shell.displayType, u"DDRAW");
    EXPECT_EQ(o->shell.frameLimit, 25u);
    EXPECT_EQ(o->shell.screenshotPath, "shot.png");
    EXPECT_EQ(o->inputFile, "in.txt");
    EXPECT_FALSE(o->shell.script) << "read by veltranoMain, once the log is set";
    EXPECT_EQ(o->logFile, "log.txt");
    EXPECT_EQ(o->fixedStepMs, 40u);
    EXPECT_EQ(o->frameHashesFile, "h.txt");
    EXPECT_TRUE(o->traceStates);
    EXPECT_TRUE(o->quiet);
    EXPECT_EQ(parse({"--data=a=b"})->dataDir, "a=b") << "the first '=' ends the name";
    for (auto [frames, n] : {std::pair{"0000000000000000005", uint64_t{5}}, {"18446744073709551615", UINT64_MAX}})
        EXPECT_EQ(parse({"--frames", frames})->shell.frameLimit, n) << frames;
    // A fixed step paces the sound by the frames, recorded or not.
    EXPECT_TRUE(o->shell.audioPacedByFrames);
    EXPECT_EQ(o->shell.audioRecordPath, "");
    EXPECT_EQ(parse({"--fixed-step", "33", "--record-audio", "a.wav"})->shell.audioRecordPath, "a.wav");
}

TEST(LauncherTest, DefaultsAndDisplayTypes) {
    auto o = parse({});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->dataDir, "data");
    EXPECT_EQ(o->shell.displayType, u"GDI");
    EXPECT_EQ(o->shell.frameLimit, 0u);
    EXPECT_EQ(o->fixedStepMs, 0u);
    EXPECT_FALSE(o->shell.audioPacedByFrames) << "the sound plays in real time";
    EXPECT_FALSE(o->quiet);
    EXPECT_TRUE(o->shell.backendChosen);
    EXPECT_EQ(o->shell.backend, displayAvailable() ? host::Backend::Sdl : host::Backend::Headless);
    for (auto [mode, type] : {std::pair{"gdi", u"GDI"}, {"AUTO", u"AUTO"}, {"DDraw", u"DDRAW"}})
        EXPECT_EQ(parse({"--display", mode})->shell.displayType, type) << mode;
}

TEST(LauncherTest, BadCommandLinesSayWhy) {
    const struct {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{"--frames"}, "--frames needs a value (N)"},
        {{"--frames", "0"}, "--frames takes a positive number, not \"0\""},
        {{"--frames", "-3"}, "--frames takes a positive number"},
        {{"--frames", "12x"}, "--frames takes a positive number"},
        {{"--frames", "18446744073709551616"}, "--frames takes a positive number"},
        {{"--frames="}, "--frames needs a value (N), not an empty one"},
        {{"--display", "opengl"}, "--display takes gdi, ddraw or auto"},
        {{"--fixed-step", "0"}, "--fixed-step takes milliseconds from 1 to 60000, not \"0\""},
        {{"--fixed-step=60001"}, "--fixed-step takes milliseconds"},
        {{"--headless=yes"}, "--headless takes no value"},
        {{"--record-audio", "a.wav"}, "--record-audio needs --fixed-step"},
        {{"--fast"}, "unknown option --fast (try --help)"},
        {{"--fast=1"}, "unknown option --fast"},
        {{"data"}, "unknown option data"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parse(c.args, &error)) << c.error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(LauncherTest, HelpGivesEveryOptionTheDefaultsTheKeysAndTheExitCodes) {
    std::string help = usageText();
    for (const char* needle : {"--data DIR", "--save-dir DIR", "--fixed-step MS", "--frame-hashes FILE", "--quiet",
                               "--trace-states", "--log FILE", "--record-audio FILE", "--opt=VALUE", "default: ./data", "Keys:", "F1, F2",
                               "Exit codes:"})
        EXPECT_NE(help.find(needle), std::string::npos) << needle;
    EXPECT_NE(help.find(host::fs::defaultSaveFolder().string()), std::string::npos);
    EXPECT_NE(help.find(host::defaultRuntimeDir()), std::string::npos) << "the lock's folder";
}

// An archive whose index reads whole passes; each way of failing names the archive as given.
TEST(LauncherTest, DataArchiveChecks) {
    test_support::TempFolder dir;
    formats::ArchiveWriter writer;
    writer.addText("app.jad", "MIDlet-Name: x\n");
    writer.addText("constants.bin", "");
    std::vector<uint8_t> good = writer.build();
    std::filesystem::create_directories(dir / "empty");
    const std::string data = (dir / "data").string();
    std::filesystem::create_directories(data);
    auto archiveWith = [&](std::vector<uint8_t> bytes) {
        test_support::writeBytes(dir / "data" / "data.bar", bytes);
        return checkDataArchive(data);
    };
    EXPECT_EQ(archiveWith(good), "");
    EXPECT_EQ(archiveWith({0, 0}), "") << "no entries is an index too";
    const std::string index = "the index of " + data + "/data.bar cannot be read: ";
    EXPECT_EQ(archiveWith({}), index + "the file is too short");
    EXPECT_EQ(archiveWith({0xFF, 0xFE}), index + "it declares -2 entries");
    EXPECT_EQ(archiveWith(std::vector<uint8_t>(good.begin(), good.begin() + 12)), index + "it ends in entry 1 of 2");
    std::vector<uint8_t> badName = good;
    badName[4] = 0xFF;  // the first byte of the first name
    EXPECT_EQ(archiveWith(badName), index + "the name of entry 1 is malformed");

    EXPECT_EQ(checkDataArchive((dir / "empty").string()),
              "no data.bar in the data folder " + (dir / "empty").string() + " (give it with --data DIR)");
    EXPECT_EQ(checkDataArchive((dir / "none").string()),
              "the data folder " + (dir / "none").string() + " does not exist (give it with --data DIR)");
    std::filesystem::create_directories(dir / "folder" / "data.bar");
    EXPECT_NE(checkDataArchive((dir / "folder").string()).find("no data.bar"), std::string::npos);
}

TEST(LocalizedMessages, ChosenByThePrimaryLanguage) {
    const struct {
        uint32_t language;
        uint32_t index;
        const char16_t* text;
    } cases[] = {
        {9, 6, u"Please wait"},
        {5, 2, u"Poznámka"},
        {5, 6, u"Please wait"},
        {7, 6, u"Bitte warten"},
        {7, 3, u"Wirklich beenden?"},
        {10, 0, u"Juego instalado.\n¿Quieres ejecutarlo ahora?"},
        {12, 6, u"Merci de patienter"},
        {22, 2, u"Aviso"},
        {0x3FF, 6, u"Please wait"},
        {12, 7, u"Cannot install the game. You need at least %.2f of free storage space."},
    };
    for (const auto& c : cases) {
        setLocalizedMessages(c.language);
        EXPECT_EQ(std::u16string(localizedMessage(c.index)), c.text) << c.language << "/" << c.index;
    }
    EXPECT_EQ(std::u16string(localizedMessage(8)), u"NULL");
    EXPECT_EQ(std::u16string(localizedMessage(uint32_t(-1))), u"NULL");
    setLocalizedMessages(9);
}

}  // namespace
}  // namespace mrc::test
