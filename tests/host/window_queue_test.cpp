#include <gtest/gtest.h>

#include <optional>
#include <thread>
#include <vector>

#include "host/core/log.h"
#include "host/headless/headless_window.h"
#include "host/window/keys.h"
#include "host/window/window.h"

namespace {

using host::Message;
using host::MessageId;

struct Recorder {
    std::vector<Message> seen;
    host::WindowProcedure procedure() {
        return [this](host::Window&, const Message& m) { seen.push_back(m); };
    }
};

class WindowQueue : public ::testing::Test {
protected:
    void SetUp() override { host::resetSystemState(); }
    void TearDown() override { host::resetSystemState(); }

    std::unique_ptr<host::HeadlessWindow> open(bool focused = true) {
        host::WindowConfig config;
        config.backend = host::Backend::Headless;
        config.startFocused = focused;
        return host::HeadlessWindow::open(config, recorder.procedure());
    }

    // Peeks and dispatches everything queued; returns the Quit code when one was peeked.
    std::optional<int> pumpAll(host::Window& w) {
        Message m;
        while (w.peek(m)) {
            if (m.id == MessageId::Quit) return m.value;
            w.dispatch(m);
        }
        return std::nullopt;
    }

    std::vector<MessageId> ids() const {
        std::vector<MessageId> out;
        for (const auto& m : recorder.seen) out.push_back(m.id);
        return out;
    }

    Recorder recorder;
};

TEST_F(WindowQueue, OpeningSendsCreateThenActivationBeforeAnyPump) {
    auto w = open();
    EXPECT_EQ(ids(), (std::vector{MessageId::Create, MessageId::Activate, MessageId::SetFocus}));
    EXPECT_EQ(recorder.seen[1].value, 1);
    EXPECT_EQ(w->pendingMessages(), 0u);
    EXPECT_TRUE(w->hasFocus());

    recorder.seen.clear();
    auto background = open(false);
    EXPECT_EQ(ids(), std::vector{MessageId::Create});
    EXPECT_FALSE(background->hasFocus());
}

TEST_F(WindowQueue, MessagesComeOutInPostingOrderAndQuitIsNotDispatched) {
    auto w = open();
    recorder.seen.clear();
    w->injectKey(host::vk::Return, true);
    w->injectPen(host::PenAction::Down, 10, 20);
    w->injectPen(host::PenAction::Move, 11, 21);
    w->injectKey(host::vk::Return, false);
    w->injectPen(host::PenAction::Up, 12, 22);
    w->postQuit(7);
    w->injectClose();

    EXPECT_EQ(pumpAll(*w), 7);
    EXPECT_EQ(ids(), (std::vector{MessageId::KeyDown, MessageId::PenDown, MessageId::PenMove, MessageId::KeyUp,
                                  MessageId::PenUp}));
    EXPECT_EQ(recorder.seen[0].key, 13u);
    EXPECT_EQ(recorder.seen[2].x, 11);
    EXPECT_EQ(recorder.seen[2].y, 21);
    // Whatever follows Quit stays queued for whoever pumps again.
    EXPECT_EQ(w->pendingMessages(), 1u);
}

TEST_F(WindowQueue, ProcedureMayPostWhileDispatching) {
    auto w = open();
    recorder.seen.clear();
    w->setProcedure([&](host::Window& win, const Message& m) {
        recorder.seen.push_back(m);
        if (m.id == MessageId::Close) win.postQuit(0);
    });
    w->injectClose();
    EXPECT_EQ(pumpAll(*w), 0);
    EXPECT_EQ(ids(), std::vector{MessageId::Close});
}

TEST_F(WindowQueue, FocusChangesArriveAsActivateThenFocusAndOnlyOnChange) {
    auto w = open();
    recorder.seen.clear();
    w->injectFocus(false);
    w->injectFocus(false);
    w->injectFocus(true);
    w->injectFocus(true);
    pumpAll(*w);
    ASSERT_EQ(ids(), (std::vector{MessageId::Activate, MessageId::KillFocus, MessageId::Activate, MessageId::SetFocus}));
    EXPECT_EQ(recorder.seen[0].value, 0);
    EXPECT_EQ(recorder.seen[2].value, 1);
}

TEST_F(WindowQueue, MinimisingTakesTheFocusAndBringToFrontFromAnotherThreadGivesItBack) {
    auto w = open();
    recorder.seen.clear();
    w->minimize();
    EXPECT_TRUE(w->isMinimized());
    pumpAll(*w);
    EXPECT_EQ(ids(), (std::vector{MessageId::Activate, MessageId::KillFocus}));

    recorder.seen.clear();
    std::thread([&] { w->bringToFront(); }).join();
    EXPECT_EQ(w->frontRequests(), 1u);
    pumpAll(*w);
    EXPECT_EQ(ids(), (std::vector{MessageId::Activate, MessageId::SetFocus}));
    EXPECT_FALSE(w->isMinimized());
    EXPECT_TRUE(w->hasFocus());
}

TEST_F(WindowQueue, PostingFromManyThreadsLosesNothing) {
    auto w = open();
    recorder.seen.clear();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) w->injectPen(host::PenAction::Move, t, i);
        });
    for (auto& t : threads) t.join();
    pumpAll(*w);
    ASSERT_EQ(recorder.seen.size(), 2000u);
    std::vector<int> last(4, -1);
    for (const auto& m : recorder.seen) {
        EXPECT_GT(m.y, last[m.x]);  // each thread's own order survives
        last[m.x] = m.y;
    }
}

TEST_F(WindowQueue, OrientationChangeIsAnnouncedToTheMainWindowOnlyWhenItChanges) {
    auto w = open();
    recorder.seen.clear();
    EXPECT_EQ(host::displayOrientation(), host::orientation::Default);
    EXPECT_TRUE(host::setDisplayOrientation(host::orientation::Rotated90));
    EXPECT_TRUE(host::setDisplayOrientation(host::orientation::Rotated90));
    {
        host::LogCapture log;
        EXPECT_FALSE(host::setDisplayOrientation(3));
        EXPECT_TRUE(log.contains("unknown orientation 3"));
    }
    pumpAll(*w);
    EXPECT_EQ(ids(), std::vector{MessageId::SettingChange});
    EXPECT_EQ(host::displayOrientation(), 1u);

    w.reset();
    EXPECT_TRUE(host::setDisplayOrientation(host::orientation::Default));  // no window: nobody told
}

TEST_F(WindowQueue, DestroySendsDestroyOnce) {
    auto w = open();
    recorder.seen.clear();
    w->destroy();
    w->destroy();
    EXPECT_EQ(ids(), std::vector{MessageId::Destroy});
}

// Presenters of the headless window.

std::vector<uint16_t> pattern(uint16_t seed) {
    std::vector<uint16_t> px(800 * 480);
    for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint16_t>(i * 31 + seed);
    return px;
}

TEST_F(WindowQueue, StretchPresentsAreCountedKeptAndCarryTheirFilter) {
    auto w = open();
    auto presenter = w->createStretchPresenter();
    ASSERT_TRUE(presenter);
    EXPECT_EQ(presenter->targetWidth(), 800);
    EXPECT_EQ(presenter->targetHeight(), 480);

    // Rows may be padded: only 800 pixels of each count.
    std::vector<uint16_t> padded(820 * 480, 0xFFFF);
    auto frame = pattern(3);
    for (int y = 0; y < 480; ++y)
        std::copy_n(&frame[std::size_t(y) * 800], 800, &padded[std::size_t(y) * 820]);
    presenter->setFilter(host::ScaleFilter::Smooth);
    ASSERT_TRUE(presenter->present(padded.data(), 800, 480, 820 * 2));
    EXPECT_EQ(w->presentCount(), 1u);
    EXPECT_EQ(w->lastFilter(), host::ScaleFilter::Smooth);
    ASSERT_TRUE(w->frames().last());
    EXPECT_EQ(w->frames().last()->pixels, frame);

    host::LogCapture log;
    EXPECT_FALSE(presenter->present(frame.data(), 640, 480, 1280));
    EXPECT_FALSE(presenter->present(nullptr, 800, 480, 1600));
    EXPECT_TRUE(log.contains("refused"));
    EXPECT_EQ(w->presentCount(), 1u);
}

TEST_F(WindowQueue, OnlyOnePresenterAtATime) {
    auto w = open();
    auto stretch = w->createStretchPresenter();
    ASSERT_TRUE(stretch);
    {
        host::LogCapture log;
        EXPECT_FALSE(w->createDirectPresenter());
        EXPECT_FALSE(w->createStretchPresenter());
        EXPECT_TRUE(log.contains("a presenter exists already"));
    }
    stretch.reset();
    EXPECT_TRUE(w->createDirectPresenter());
}

TEST_F(WindowQueue, LostDirectSurfacesFailPresentUntilRestored) {
    auto w = open();
    auto direct = w->createDirectPresenter();
    ASSERT_TRUE(direct);
    auto info = direct->backInfo();
    EXPECT_EQ(info.width, 800);
    EXPECT_EQ(info.pitch, 1600);
    EXPECT_EQ(direct->primaryInfo().bitsPerPixel, 16);

    uint16_t* back = direct->backPixels();
    auto frame = pattern(9);
    std::copy(frame.begin(), frame.end(), back);
    ASSERT_TRUE(direct->present());
    EXPECT_EQ(w->frames().last()->pixels, frame);

    ASSERT_TRUE(direct->lock());
    EXPECT_FALSE(direct->present());
    ASSERT_TRUE(direct->unlock());
    EXPECT_FALSE(direct->unlock());

    w->losePrimarySurface();
    EXPECT_TRUE(direct->primaryLost());
    EXPECT_FALSE(direct->present());
    EXPECT_TRUE(direct->restorePrimary());
    EXPECT_FALSE(direct->primaryLost());
    EXPECT_TRUE(direct->present());

    w->loseBackSurface();
    EXPECT_TRUE(direct->backLost());
    EXPECT_FALSE(direct->present());
    EXPECT_TRUE(direct->restoreBack());
    EXPECT_EQ(direct->backPixels(), back);  // the frame buffer pointer the runtime keeps stays valid
    EXPECT_EQ(back[0], 0);                  // a lost surface's contents are gone
    EXPECT_TRUE(direct->present());
    EXPECT_EQ(w->presentCount(), 3u);
}

TEST_F(WindowQueue, PresenterThatOutlivesItsWindowFailsQuietly) {
    auto w = open();
    auto direct = w->createDirectPresenter();
    w.reset();
    EXPECT_FALSE(direct->present());
    EXPECT_TRUE(direct->primaryLost());
    EXPECT_FALSE(direct->restorePrimary());
    EXPECT_FALSE(direct->lock());
}

TEST_F(WindowQueue, PresentsFromTheGameThreadWhileTheUiThreadPumps) {
    auto w = open();
    auto presenter = w->createStretchPresenter();
    auto frame = pattern(1);
    std::thread game([&] {
        for (int i = 0; i < 50; ++i) presenter->present(frame.data(), 800, 480, 1600);
    });
    Message m;
    while (w->presentCount() < 50) w->peek(m);
    game.join();
    EXPECT_EQ(w->frames().count(), 50u);
}

}  // namespace
