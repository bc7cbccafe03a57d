// The window's present listener: what fixed-step runs pace their sound by.
#include <gtest/gtest.h>

#include <vector>

#include "host/core/clock.h"
#include "host/core/log.h"
#include "host/headless/headless_window.h"
#include "host/window/system.h"
#include "host/window/window.h"

namespace {

TEST(WindowPresentListener, RunsAfterEachShownFrameOnceTheFrameStepMovedTheClock) {
    host::resetSystemState();
    host::ManualClock clock(1000);
    clock.setFrameStep(33);
    host::WindowConfig config;
    config.backend = host::Backend::Headless;
    auto w = host::HeadlessWindow::open(config, [](host::Window&, const host::Message&) {});
    ASSERT_TRUE(w);
    std::vector<uint32_t> seen;
    w->setPresentListener([&] { seen.push_back(host::tickCount()); });
    auto presenter = w->createStretchPresenter();
    ASSERT_TRUE(presenter);
    std::vector<uint16_t> frame(800 * 480, 0x1234);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(presenter->present(frame.data(), 800, 480, 1600));
    {
        host::LogCapture log;
        EXPECT_FALSE(presenter->present(frame.data(), 640, 480, 1280)) << "a refused frame is not shown";
    }
    w->setPresentListener(nullptr);
    ASSERT_TRUE(presenter->present(frame.data(), 800, 480, 1600));
    EXPECT_EQ(seen, (std::vector<uint32_t>{1033, 1066, 1099}));
    presenter.reset();
    host::resetSystemState();
}

}  // namespace
