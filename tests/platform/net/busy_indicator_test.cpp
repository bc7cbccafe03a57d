#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "host/core/clock.h"
#include "host/headless/frame_store.h"
#include "host/headless/headless_window.h"
#include "platform/display/display.h"
#include "platform/graphics/font_engine.h"
#include "platform/lcdui/image.h"
#include "platform/net/busy_indicator.h"
#include "platform/net/http_connection.h"
#include "tests/platform/net/net_fixture.h"

namespace mrc::test {
namespace {

using Http = javax_microedition_io_HttpConnection;

// Separate runs of columns holding `colour` in the rows [top, top + height): one per dot.
int dotsIn(const gfx::Canvas& c, int32_t top, int32_t height, uint16_t colour) {
    int runs = 0;
    bool inRun = false;
    for (int32_t x = 0; x < c.width; ++x) {
        bool ink = false;
        for (int32_t y = top; y < top + height && y < c.height && !ink; ++y)
            ink = c.pixels[std::size_t(y) * c.pitch + x] == colour;
        if (ink && !inRun) ++runs;
        inRun = ink;
    }
    return runs;
}

class BusyIndicatorTest : public NetTest {
protected:
    void SetUp() override {
        NetTest::SetUp();
        if (!gfx::FontEngine::system()) GTEST_SKIP() << "no system font";
    }
};

TEST_F(BusyIndicatorTest, RowsGrowInRedAndAreWipedInWhite) {
    auto* image = javax_microedition_lcdui_Image::createBlankImage(400, 300);
    ASSERT_NE(image, nullptr);
    gfx::Canvas canvas;
    ASSERT_TRUE(image->canvas(canvas));
    const int32_t h = gfx::FontEngine::system()->height();
    const std::vector<int> redDots = {1, 3, 5, 7};
    for (int frame = 1; frame <= 4; ++frame) {
        net::drawBusyRow(canvas, frame, net::kBusyX, net::kBusyY);
        EXPECT_EQ(dotsIn(canvas, net::kBusyY, h, net::kBusyRed), redDots[frame - 1]) << frame;
    }
    net::drawBusyRow(canvas, 5, net::kBusyX, net::kBusyY);  // row 0 again
    EXPECT_EQ(dotsIn(canvas, net::kBusyY, h, net::kBusyRed), 0);
    EXPECT_EQ(dotsIn(canvas, net::kBusyY, h, net::kBusyWhite), 7);
    // Nothing outside the row's band, nothing left of x.
    EXPECT_EQ(dotsIn(canvas, 0, net::kBusyY, net::kBusyWhite), 0);
    for (int32_t y = 0; y < canvas.height; ++y)
        for (int32_t x = 0; x < net::kBusyX; ++x) ASSERT_EQ(canvas.pixels[std::size_t(y) * canvas.pitch + x], 0);
    // Drawn partly or wholly outside the image: clipped, never written past it.
    net::drawBusyRow(canvas, 4, 390, 295);
    net::drawBusyRow(canvas, 4, -500, -500);
    for (int frame = 0; frame < 5; ++frame)
        EXPECT_EQ(std::u16string(net::busyRowText(frame)).size(), 21u);
}

// Native pixels that count the dots of each row drawn, and let a server wait for rows.
class RecordingSurface : public net::BusySurface {
public:
    RecordingSurface() : m_pixels(std::size_t(800) * 480, 0) {}
    bool acquire(gfx::Canvas& canvas) override {
        canvas = gfx::Canvas{m_pixels.data(), 800, 480, 800, 0, 0, 800, 480, gfx::kRgb565};
        std::lock_guard lock(m_mutex);
        if (m_closed) m_lateRows = true;
        return true;
    }
    void release() override {
        gfx::Canvas c{m_pixels.data(), 800, 480, 800, 0, 0, 800, 480, gfx::kRgb565};
        int dots = dotsIn(c, net::kBusyY, gfx::FontEngine::system()->height(), net::kBusyRed);
        std::lock_guard lock(m_mutex);
        m_rows.push_back(dots);
        m_changed.notify_all();
    }
    bool waitForRows(std::size_t n) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_rows.size() >= n; });
    }
    // After this, a row drawn is a thread outliving its request.
    std::vector<int> close() {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        return m_rows;
    }
    bool lateRows() {
        std::lock_guard lock(m_mutex);
        return m_lateRows;
    }

private:
    std::vector<uint16_t> m_pixels;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<int> m_rows;
    bool m_closed = false;
    bool m_lateRows = false;
};

TEST_F(BusyIndicatorTest, RunsWhileTheRequestRunsAndEndsWithIt) {
    RecordingSurface surface;
    net::setBusySurface(&surface);
    net::setBusyPause(1);
    std::atomic<bool> sawRows{false};
    LoopbackServer server([&](LoopbackPeer& peer) {
        peer.readUntil("\r\n\r\n");
        sawRows = surface.waitForRows(6);  // answers only once a whole cycle was drawn
        peer.write("HTTP/1.0 200 OK\r\nContent-Length: 1\r\n\r\nz");
    });
    routePort80(server);
    auto* http = as<Http>(open("http://127.0.0.1/"), kClass_javax_microedition_io_HttpConnection);
    ASSERT_NE(http, nullptr);
    EXPECT_EQ(http->getResponseCode(), 200);
    std::vector<int> rows = surface.close();
    EXPECT_TRUE(sawRows.load());
    ASSERT_GE(rows.size(), 6u);
    EXPECT_EQ(std::vector<int>(rows.begin(), rows.begin() + 6), (std::vector<int>{0, 1, 3, 5, 7, 0}));
    EXPECT_EQ(http->getResponseCode(), 200);  // already sent: no indicator
    http->setRequestMethod(string("HEAD"));
    EXPECT_EQ(http->getResponseCode(), 200);  // nothing sent, no indicator either
    EXPECT_FALSE(surface.lateRows());
}

// On the screen: rows are presented while the display is open, none while it is closed (the
// runtime closes it at its end, perhaps while a request still waits), and they go on on the
// display opened next.
TEST_F(BusyIndicatorTest, ScreenRowsFollowTheDisplayThroughItsClosing) {
    host::WindowConfig config;
    config.backend = host::Backend::Headless;
    std::unique_ptr<host::HeadlessWindow> window = host::HeadlessWindow::open(config, nullptr);
    ASSERT_TRUE(window);
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    ASSERT_TRUE(impl->openDisplay(u"GDI", *window));
    const host::FrameStore& frames = window->frames();
    auto presentedBeyond = [&](uint64_t count) {
        for (int i = 0; i < 1000; ++i) {
            if (frames.count() > count) return true;
            host::sleepMs(10);
        }
        return false;
    };
    net::setBusyPause(1);
    {
        net::BusyIndicator busy;
        ASSERT_TRUE(presentedBeyond(2));
        impl->closeDisplay();
        const uint64_t atClose = frames.count();
        host::sleepMs(30);  // some thirty rows' time
        EXPECT_EQ(frames.count(), atClose);
        ASSERT_TRUE(impl->openDisplay(u"GDI", *window));
        EXPECT_TRUE(presentedBeyond(atClose + 2));
    }
    impl->closeDisplay();
}

}  // namespace
}  // namespace mrc::test
