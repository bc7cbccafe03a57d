// The command line of the executable and the localized start-up texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/app/launcher.h"
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
    test_support::TempFolder dir;
    test_support::writeText(dir / "in.txt", "0 key tap RETURN\n5 close\n");
    auto o = parse({"--data", "d", "--save-dir", "s", "--headless", "--display", "ddraw", "--frames", "25",
                    "--screenshot", "shot.png", "--input", (dir / "in.txt").string(), "--log", "log.txt"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->dataDir, "d");
    EXPECT_EQ(o->saveDir, "s");
    EXPECT_EQ(o->shell.backend, host::Backend::Headless);
    EXPECT_FALSE(o->shell.backendChosen);
    EXPECT_EQ(o->shell.displayType, u"DDRAW");
    EXPECT_EQ(o->shell.frameLimit, 25u);
    EXPECT_EQ(o->shell.screenshotPath, "shot.png");
    ASSERT_TRUE(o->shell.script);
    EXPECT_EQ(o->shell.script->events().size(), 3u);
    EXPECT_EQ(o->logFile, "log.txt");
}

TEST(LauncherTest, DefaultsAndDisplayTypes) {
    auto o = parse({});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->dataDir, "data");
    EXPECT_EQ(o->shell.displayType, u"GDI");
    EXPECT_EQ(o->shell.frameLimit, 0u);
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
        {{"--frames"}, "--frames needs a value"},
        {{"--frames", "0"}, "--frames takes a positive number, not \"0\""},
        {{"--frames", "-3"}, "--frames takes a positive number"},
        {{"--frames", "12x"}, "--frames takes a positive number"},
        {{"--display", "opengl"}, "--display takes gdi, ddraw or auto"},
        {{"--input", "/no/such/script"}, "cannot read the input script /no/such/script"},
        {{"--fast"}, "unknown option --fast"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parse(c.args, &error)) << c.error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
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
