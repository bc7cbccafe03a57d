#include <gtest/gtest.h>

#include <cstdlib>

#include "host/core/log.h"
#include "host/window/system.h"

namespace {

class SystemServices : public ::testing::Test {
protected:
    void SetUp() override { host::resetSystemState(); }
    void TearDown() override { host::resetSystemState(); }
};

TEST_F(SystemServices, LocaleNamesGiveLanguageIds) {
    struct Case {
        const char* locale;
        uint16_t id;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", 0x0407}, {"cs_CZ.UTF-8", 0x0405}, {"es_ES", 0x040A},  {"fr_FR@euro", 0x040C},
        {"fr", 0x040C},          {"pt_BR.UTF-8", 0x0416}, {"pt_PT", 0x0816},  {"en_US.UTF-8", 0x0409},
        {"en_GB", 0x0809},       {"C", 0x0409},           {"POSIX", 0x0409},  {"", 0x0409},
        {"xx_YY", 0x0409},       {"it_IT", 0x0410},
    };
    for (const auto& c : cases) EXPECT_EQ(host::languageIdFromLocale(c.locale), c.id) << c.locale;
}

TEST_F(SystemServices, LanguageIsInjectedOrEnglishHeadlessOrTheLocaleOnTheDesktop) {
    EXPECT_EQ(host::userInterfaceLanguage(), 0x0409);
    host::setUserInterfaceLanguage(0x0405);
    EXPECT_EQ(host::userInterfaceLanguage(), 0x0405);
    host::setUserInterfaceLanguage(std::nullopt);

    const char* saved = std::getenv("LC_ALL");
    std::string keep = saved ? saved : "";
    ::setenv("LC_ALL", "es_ES.UTF-8", 1);
    EXPECT_EQ(host::userInterfaceLanguage(), 0x0409);  // headless ignores the machine's locale
    host::selectBackend(host::Backend::Sdl);
    EXPECT_EQ(host::userInterfaceLanguage(), 0x040A);
    if (saved) ::setenv("LC_ALL", keep.c_str(), 1);
    else ::unsetenv("LC_ALL");
}

TEST_F(SystemServices, PowerStateIsAttendedUntilInjected) {
    EXPECT_EQ(host::powerState(), host::PowerState::Attended);
    host::setPowerState(host::PowerState::Unattended);
    EXPECT_EQ(host::powerState(), host::PowerState::Unattended);
    host::setPowerState(host::PowerState::Unavailable);
    EXPECT_EQ(host::powerState(), host::PowerState::Unavailable);
}

TEST_F(SystemServices, MemoryStatusComesFromTheSystem) {
    auto m = host::memoryStatus();
    EXPECT_GT(m.totalPhysical, 16u << 20);
    EXPECT_GT(m.availablePhysical, 0u);
    EXPECT_LE(m.availablePhysical, m.totalPhysical);
}

TEST_F(SystemServices, HeadlessRecordsUrlRequestsAndRefusesUnsafeOnes) {
    host::LogCapture log;
    EXPECT_TRUE(host::openUrl("http://example.invalid/game?a=1&b=2"));
    struct Case {
        std::string url;
        const char* trace;
    };
    const Case cases[] = {
        {"", "empty URL"},
        {"--help", "would read as an option"},
        {"http://x/\ny", "control character 0x0A"},
        {std::string(9000, 'a'), "too long"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(host::openUrl(c.url));
        EXPECT_TRUE(log.contains(c.trace)) << c.trace;
    }
    EXPECT_EQ(host::urlRequests(), std::vector<std::string>{"http://example.invalid/game?a=1&b=2"});
    host::clearUrlRequests();
    EXPECT_TRUE(host::urlRequests().empty());
}

TEST_F(SystemServices, DesktopStartsTheOpenerAndReportsOneThatIsMissing) {
    host::selectBackend(host::Backend::Sdl);
    host::setUrlOpener("true");  // stands in for xdg-open: starts and exits
    EXPECT_TRUE(host::openUrl("http://example.invalid/"));
    EXPECT_TRUE(host::urlRequests().empty());

    host::LogCapture log;
    host::setUrlOpener("veltrano-no-such-opener");
    EXPECT_FALSE(host::openUrl("http://example.invalid/"));
    EXPECT_TRUE(log.contains("cannot start veltrano-no-such-opener"));
}

}  // namespace
