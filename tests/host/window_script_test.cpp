#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "host/headless/headless_window.h"
#include "host/window/script.h"

namespace {

using host::MessageId;
using host::ScriptEvent;
using Kind = host::ScriptEvent::Kind;

class ScriptedInputTest : public ::testing::Test {
protected:
    void SetUp() override { host::resetSystemState(); }
    void TearDown() override { host::resetSystemState(); }

    // A headless window with no procedure, playing `script`.
    static std::unique_ptr<host::HeadlessWindow> scripted(const char* script) {
        host::WindowConfig config;
        config.backend = host::Backend::Headless;
        auto w = host::HeadlessWindow::open(config, nullptr);
        if (w) w->setScript(host::ScriptedInput::parse(script));
        return w;
    }
};

TEST_F(ScriptedInputTest, GoodLinesBecomeEventsInFileOrder) {
    host::LogCapture log;
    auto script = host::ScriptedInput::parse(
        "# a comment\n"
        "\n"
        "0 focus gained\n"
        "10 key down RETURN   # fire\n"
        "12\tKEY  UP  return\r\n"
        "1500ms pen down 400 240\n"
        "1500MS pen move 0 479\n"
        "14 key tap 0x41\n"
        "20 power unattended\n"
        "21 power attended\n"
        "22 power unavailable\n"
        "30 orientation 4\n"
        "31 language 0x0407\n"
        "32 setting change\n"
        "33 focus lost\n"
        "40 close",
        "good.txt");
    EXPECT_EQ(script.badLines(), 0u);
    EXPECT_TRUE(log.lines().empty());

    const auto& e = script.events();
    ASSERT_EQ(e.size(), 15u);
    EXPECT_EQ(e[0].kind, Kind::Focus);
    EXPECT_TRUE(e[0].on);
    EXPECT_EQ(e[0].line, 3);
    EXPECT_EQ(e[1].kind, Kind::Key);
    EXPECT_EQ(e[1].key, 13u);
    EXPECT_TRUE(e[1].on);
    EXPECT_EQ(e[1].when, 10u);
    EXPECT_FALSE(e[1].inMilliseconds);
    EXPECT_FALSE(e[2].on);
    EXPECT_EQ(e[3].kind, Kind::Pen);
    EXPECT_TRUE(e[3].inMilliseconds);
    EXPECT_EQ(e[3].when, 1500u);
    EXPECT_EQ(e[3].x, 400);
    EXPECT_EQ(e[3].y, 240);
    EXPECT_EQ(e[4].pen, host::PenAction::Move);
    // tap: down then up at the same time
    EXPECT_EQ(e[5].key, 65u);
    EXPECT_TRUE(e[5].on);
    EXPECT_EQ(e[6].key, 65u);
    EXPECT_FALSE(e[6].on);
    EXPECT_EQ(e[6].line, 8);
    EXPECT_EQ(e[7].power, host::PowerState::Unattended);
    EXPECT_EQ(e[9].power, host::PowerState::Unavailable);
    EXPECT_EQ(e[10].kind, Kind::Orientation);
    EXPECT_EQ(e[10].value, 4u);
    EXPECT_EQ(e[11].kind, Kind::Language);
    EXPECT_EQ(e[11].value, 0x0407u);
    EXPECT_EQ(e[12].kind, Kind::SettingChange);
    EXPECT_FALSE(e[13].on);
    EXPECT_EQ(e[14].kind, Kind::Close);
}

TEST_F(ScriptedInputTest, BadLinesAreTracedWithTheirPlaceAndSkipped) {
    struct Case {
        const char* line;
        const char* reason;
    };
    const Case cases[] = {
        {"x key down RETURN", "time is not a frame number or Nms"},
        {"-3 key down RETURN", "time is not a frame number or Nms"},
        {"12xs key down RETURN", "time is not a frame number or Nms"},
        {"fooms close", "time is not a number of milliseconds"},
        {"5", "no event after the time"},
        {"5 jump", "unknown event"},
        {"5 key down", "key needs down, up or tap and a key"},
        {"5 key press RETURN", "key motion is not down, up or tap"},
        {"5 key down FIRE", "unknown key"},
        {"5 key down 300", "unknown key"},
        {"5 pen down 10", "pen needs down, up or move and a position"},
        {"5 pen hover 1 2", "pen motion is not down, up or move"},
        {"5 pen down a b", "pen position is not two numbers"},
        {"5 pen down -1 20", "pen position is not two numbers"},
        {"5 pen down 800 20", "pen position outside the 800x480 screen"},
        {"5 pen up 10 480", "pen position outside the 800x480 screen"},
        {"5 focus", "focus needs lost or gained"},
        {"5 focus maybe", "focus is not lost or gained"},
        {"5 power off", "power state is not attended, unattended or unavailable"},
        {"5 orientation 3", "orientation is not 0, 1, 2 or 4"},
        {"5 orientation up", "orientation needs a number"},
        {"5 language 0", "language needs an id 1..0xFFFF"},
        {"5 language 0x10000", "language needs an id 1..0xFFFF"},
        {"5 setting", "setting needs change"},
        {"5 close now", "close takes nothing"},
    };
    std::string text = "0 focus gained\n";
    for (const auto& c : cases) text += std::string(c.line) + "\n";
    text += "9 close\n";

    host::LogCapture log;
    auto script = host::ScriptedInput::parse(text, "bad.txt");
    EXPECT_EQ(script.badLines(), std::size(cases));
    ASSERT_EQ(script.events().size(), 2u);  // the good lines around them still run
    EXPECT_EQ(script.events()[1].kind, Kind::Close);

    auto lines = log.lines();
    ASSERT_EQ(lines.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        std::string expected = "input bad.txt:" + std::to_string(i + 2) + ": " + cases[i].reason + ": " + cases[i].line;
        EXPECT_EQ(lines[i], expected);
    }
}

TEST_F(ScriptedInputTest, LinesFallDueByFramesAndMillisecondsInFileOrder) {
    host::ManualClock clock(0);
    auto script = host::ScriptedInput::parse(
        "0 key down A\n"
        "2 key up A\n"
        "100ms key down B\n"
        "1 key up B\n"  // already past frame 1, but waits for the line before it
        "3 close\n");
    EXPECT_EQ(script.takeDue(0, 0).size(), 1u);
    EXPECT_TRUE(script.takeDue(1, 50).empty());
    EXPECT_EQ(script.takeDue(2, 50).size(), 1u);
    EXPECT_TRUE(script.takeDue(2, 99).empty());
    auto due = script.takeDue(2, 100);
    ASSERT_EQ(due.size(), 2u);
    EXPECT_EQ(due[0].key, 66u);
    EXPECT_FALSE(due[1].on);
    EXPECT_FALSE(script.finished());
    EXPECT_EQ(script.takeDue(3, 100).size(), 1u);
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(script.takeDue(99, 9999).empty());
}

TEST_F(ScriptedInputTest, AWindowPlaysTheScriptAsItPresentsFrames) {
    host::ManualClock clock(0);
    std::vector<host::Message> seen;
    host::WindowConfig config;
    config.backend = host::Backend::Headless;
    auto w = host::HeadlessWindow::open(config, [&](host::Window&, const host::Message& m) { seen.push_back(m); });
    seen.clear();
    w->setScript(host::ScriptedInput::parse(
        "0 key tap RETURN\n"
        "0 power unattended\n"
        "0 language 0x040C\n"
        "1 pen down 5 6\n"
        "1 orientation 1\n"
        "20ms focus lost\n"
        "20ms close\n"));
    auto pump = [&] {
        host::Message m;
        while (w->peek(m)) w->dispatch(m);
    };
    pump();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], host::keyMessage(13, true));
    EXPECT_EQ(seen[1], host::keyMessage(13, false));
    EXPECT_EQ(host::powerState(), host::PowerState::Unattended);
    EXPECT_EQ(host::userInterfaceLanguage(), 0x040C);

    auto presenter = w->createStretchPresenter();
    std::vector<uint16_t> frame(800 * 480, 0);
    presenter->present(frame.data(), 800, 480, 1600);
    pump();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[2], host::penMessage(host::PenAction::Down, 5, 6));
    EXPECT_EQ(seen[3].id, MessageId::SettingChange);
    EXPECT_EQ(host::displayOrientation(), 1u);

    clock.set(20);
    pump();
    ASSERT_EQ(seen.size(), 7u);
    EXPECT_EQ(seen[4].id, MessageId::Activate);
    EXPECT_EQ(seen[5].id, MessageId::KillFocus);
    EXPECT_EQ(seen[6].id, MessageId::Close);
    EXPECT_TRUE(w->scriptFinished());
}

// Fixed-step runs: the clock moves with the presents, each frame waits until the lines due by the
// presents before it are dispatched, and every frame is hashed in order. Whichever way the UI
// thread's pumps fall (slow, then as fast as it can), every frame sees the same input.
TEST_F(ScriptedInputTest, AFixedStepHandsEachFrameTheInputDueByIt) {
    for (int uiPauseUs : {0, 3000}) {
        SCOPED_TRACE(uiPauseUs);
        host::ManualClock clock(0);
        clock.setFrameStep(10);
        std::atomic<bool> down{false};
        host::WindowConfig config;
        config.backend = host::Backend::Headless;
        auto w = host::HeadlessWindow::open(config, [&](host::Window&, const host::Message& m) {
            if (m.id == MessageId::KeyDown || m.id == MessageId::KeyUp) down = m.id == MessageId::KeyDown;
        });
        w->setScript(host::ScriptedInput::parse("2 key down RETURN\n40ms key up RETURN\n5 key down LEFT\n"));
        std::vector<std::pair<uint64_t, uint64_t>> hashes;
        w->setFrameHashSink([&](uint64_t n, uint64_t h) { hashes.emplace_back(n, h); });
        auto presenter = w->createStretchPresenter();
        constexpr int kFrames = 8;
        std::vector<bool> seen;
        std::vector<std::vector<uint16_t>> pictures;
        std::thread game([&] {
            for (int i = 0; i < kFrames; ++i) {
                w->awaitDueInput();
                seen.push_back(down.load());
                pictures.emplace_back(800 * 480, static_cast<uint16_t>(i * 257));
                presenter->present(pictures.back().data(), 800, 480, 1600);
            }
        });
        host::Message m;
        while (w->presentCount() < kFrames) {
            while (w->peek(m)) w->dispatch(m);
            std::this_thread::sleep_for(std::chrono::microseconds(uiPauseUs));
        }
        game.join();
        EXPECT_EQ(seen, (std::vector<bool>{false, false, true, true, false, true, true, true}));
        EXPECT_EQ(clock.now(), 10u * kFrames);
        ASSERT_EQ(hashes.size(), std::size_t(kFrames));
        for (int i = 0; i < kFrames; ++i) {
            EXPECT_EQ(hashes[i].first, uint64_t(i + 1));
            EXPECT_EQ(hashes[i].second, host::frameHash(pictures[i].data(), 800, 480, 1600));
        }
        presenter.reset();
    }
}

// A device without focus or unattended presents no frame: with a frame step the clock then moves
// on to the next timed line (so that a scripted pause can end), and only then.
TEST_F(ScriptedInputTest, AFixedStepClockMovesOnToTheNextLineWhileNoFrameCanCome) {
    host::ManualClock clock(0);
    clock.setFrameStep(10);
    auto w = scripted("0 focus lost\n500ms focus gained\n0 power unattended\n"
                      "900ms power attended\n950ms key down RETURN\n");
    ASSERT_TRUE(w);
    host::Message m;
    auto pump = [&] {
        while (w->peek(m)) w->dispatch(m);
    };
    pump();  // the focus goes
    EXPECT_FALSE(w->hasFocus());
    EXPECT_EQ(clock.now(), 0u);
    // No frame can come: the clock moves on to 500 ms, where the focus comes back and the device
    // goes unattended.
    pump();
    EXPECT_EQ(clock.now(), 500u);
    EXPECT_TRUE(w->hasFocus());
    EXPECT_EQ(host::powerState(), host::PowerState::Unattended);
    pump();  // the main loop reads the power state before its next pump: that one waits
    EXPECT_EQ(clock.now(), 500u);
    pump();
    EXPECT_EQ(clock.now(), 900u);
    EXPECT_EQ(host::powerState(), host::PowerState::Attended);
    pump();
    pump();
    EXPECT_EQ(clock.now(), 900u) << "attended and focused: the clock waits for frames again";
    EXPECT_FALSE(w->scriptFinished());
}

// Without a frame step, and once the window is closing, nothing waits.
TEST_F(ScriptedInputTest, NothingWaitsForInputWithoutAFrameStepOrOnceClosing) {
    auto w = scripted("0 key down RETURN\n");
    ASSERT_TRUE(w);
    std::thread([&] { w->awaitDueInput(); }).join();
    host::ManualClock clock(0);
    clock.setFrameStep(10);
    w->destroy();
    std::thread([&] { w->awaitDueInput(); }).join();
}

// The runtime's end releases a frame waiting for input nobody will pump, and any later one.
TEST_F(ScriptedInputTest, EndingInputWaitsReleasesAWaitingFrameAndTheLaterOnes) {
    host::ManualClock clock(0);
    clock.setFrameStep(10);
    auto w = scripted("1 key down RETURN\n");
    ASSERT_TRUE(w);
    auto presenter = w->createStretchPresenter();
    std::vector<uint16_t> picture(800 * 480, 0);
    presenter->present(picture.data(), 800, 480, 1600);
    std::atomic<bool> returned{false};
    std::thread frame([&] {
        w->awaitDueInput();  // a line is due by the frame presented and no pump comes
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(returned.load());
    w->endInputWaits();
    frame.join();
    std::thread([&] { w->awaitDueInput(); }).join();
    EXPECT_FALSE(w->scriptFinished());
    presenter.reset();
}

TEST_F(ScriptedInputTest, LoadReadsAFileAndTracesAMissingOne) {
    std::string path = ::testing::TempDir() + "window_script_test_input.txt";
    {
        std::ofstream out(path);
        out << "0 key down HOME\n1 nonsense\n";
    }
    host::LogCapture log;
    auto script = host::ScriptedInput::load(path);
    ASSERT_TRUE(script);
    EXPECT_EQ(script->events().size(), 1u);
    EXPECT_TRUE(log.contains("input " + path + ":2: unknown event: 1 nonsense"));
    std::remove(path.c_str());

    EXPECT_FALSE(host::ScriptedInput::load(path));
    EXPECT_TRUE(log.contains("input " + path + ": cannot be read"));
}

}  // namespace
