// A real SDL window. By default it runs on SDL's offscreen video driver; the Xvfb run registered in
// tests.cmake names x11 in VELTRANO_TEST_VIDEO, and then a window that cannot open is a failure
// instead of a skip.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <vector>

#include "host/headless/frame_store.h"
#include "host/sdl/sdl_window.h"

namespace {

using host::MessageId;

class SdlWindowTest : public ::testing::Test {
protected:
    void SetUp() override { host::resetSystemState(); }
    void TearDown() override { host::resetSystemState(); }

    std::unique_ptr<host::SdlWindow> open(int width, int height) {
        const char* required = std::getenv("VELTRANO_TEST_VIDEO");
        SDL_SetHint(SDL_HINT_VIDEODRIVER, required ? required : "offscreen");
        // Offscreen, stay off GL: its surface keeps its first size (the software renderer follows
        // resizes), and the GL driver's own allocations read as leaks once SDL unloads it.
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, required ? "" : "software");
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, required ? "" : "0");
        host::WindowConfig config;
        config.backend = host::Backend::Sdl;
        config.width = width;
        config.height = height;
        config.captureFrames = true;
        auto window = host::SdlWindow::open(config, [this](host::Window&, const host::Message& m) { seen.push_back(m); });
        // A freshly started Xvfb now and then refuses a connection right after another one closed:
        // a few short retries before calling the driver unavailable.
        for (int attempt = 0; !window && required && attempt < 5; ++attempt) {
            SDL_Delay(200);
            window = host::SdlWindow::open(config, [this](host::Window&, const host::Message& m) { seen.push_back(m); });
        }
        if (window && required) {
            EXPECT_EQ(window->videoDriver(), required);
        }
        if (!window && required) ADD_FAILURE() << "no window on the " << required << " video driver";
        return window;
    }

    void pump(host::Window& w) {
        host::Message m;
        while (w.peek(m)) w.dispatch(m);
    }

    static std::vector<uint16_t> checker() {
        std::vector<uint16_t> px(800 * 480);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 800; ++x)
                px[std::size_t(y) * 800 + x] = ((x + y) & 1) ? 0xFFFF : static_cast<uint16_t>((x * 3 + y * 5) & 0xF81F);
        return px;
    }

    static uint32_t argb(uint16_t p) {
        uint8_t rgb[3];
        host::expandRgb565(p, rgb);
        return 0xFF000000u | uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
    }

    // Renderers widen 5 and 6 bits to 8 their own way; a step or two per channel is theirs, not ours.
    static bool close(uint32_t a, uint32_t b) {
        for (int shift : {0, 8, 16}) {
            int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
            if (d < -2 || d > 2) return false;
        }
        return true;
    }

    // The picture must sit at `left` in an image of `width`, scaled by `scale`, black around it.
    static void expectPicture(const std::vector<uint32_t>& image, int width, int height, int left, int scale,
                              const std::vector<uint16_t>& frame) {
        int mismatches = 0;
        for (int y = 0; y < height && mismatches < 5; ++y)
            for (int x = 0; x < width && mismatches < 5; ++x) {
                int sx = (x - left) / scale, sy = y / scale;
                bool inside = x >= left && sx < 800 && sy < 480;
                uint32_t want = inside ? argb(frame[std::size_t(sy) * 800 + sx]) : 0xFF000000u;
                uint32_t got = image[std::size_t(y) * width + x] | 0xFF000000u;
                if (!close(got, want)) {
                    ADD_FAILURE() << "at " << x << "," << y << ": " << std::hex << got << " instead of " << want;
                    ++mismatches;
                }
            }
    }

    std::vector<host::Message> seen;
};

TEST_F(SdlWindowTest, StretchPresentShowsTheFrameLetterboxedWithTheChosenFilter) {
    auto w = open(1000, 480);
    if (!w) GTEST_SKIP() << "no SDL video driver works here";
    ASSERT_EQ(seen.at(0).id, MessageId::Create);
    EXPECT_TRUE(w->hasFocus());
    auto presenter = w->createStretchPresenter();
    ASSERT_TRUE(presenter);
    EXPECT_EQ(presenter->targetWidth(), 1000);
    EXPECT_EQ(presenter->targetHeight(), 480);

    auto frame = checker();
    ASSERT_TRUE(presenter->present(frame.data(), 800, 480, 1600));
    pump(*w);
    std::vector<uint32_t> image;
    int width = 0, height = 0;
    ASSERT_TRUE(w->readBack(image, width, height));
    ASSERT_EQ(width, 1000);
    ASSERT_EQ(height, 480);
    expectPicture(image, width, height, 100, 1, frame);

    // Doubled in size: nearest keeps the checker's two colours, smooth blends them.
    SDL_SetWindowSize(SDL_GetWindowFromID(w->sdlWindowId()), 1600, 960);
    pump(*w);
    ASSERT_EQ(presenter->targetWidth(), 1600);
    ASSERT_TRUE(presenter->present(frame.data(), 800, 480, 1600));
    ASSERT_TRUE(w->readBack(image, width, height));
    ASSERT_EQ(width, 1600);
    expectPicture(image, width, height, 0, 2, frame);

    presenter->setFilter(host::ScaleFilter::Smooth);
    ASSERT_TRUE(presenter->present(frame.data(), 800, 480, 1600));
    ASSERT_TRUE(w->readBack(image, width, height));
    // Every pixel of the checker neighbours white; blending shows as pixels near neither colour.
    int blended = 0;
    for (int y = 0; y < 960; ++y)
        for (int x = 0; x < 1600; ++x) {
            uint32_t got = image[std::size_t(y) * 1600 + x];
            uint32_t source = argb(frame[std::size_t(y / 2) * 800 + x / 2]);
            blended += !close(got, source) && !close(got, 0xFFFFFFFFu);
        }
    EXPECT_GT(blended, 1600 * 960 / 4);
    EXPECT_EQ(w->presentCount(), 3u);
}

TEST_F(SdlWindowTest, DirectPresentBlitsToTheWindowSurfaceWhichIsLostOnResize) {
    auto w = open(1000, 480);
    if (!w) GTEST_SKIP() << "no SDL video driver works here";
    auto direct = w->createDirectPresenter();
    ASSERT_TRUE(direct);
    EXPECT_EQ(direct->primaryInfo().width, 1000);
    EXPECT_GE(direct->primaryInfo().bitsPerPixel, 16);
    EXPECT_EQ(direct->backInfo().pitch, 1600);

    auto frame = checker();
    std::copy(frame.begin(), frame.end(), direct->backPixels());
    ASSERT_TRUE(direct->present());
    std::vector<uint32_t> image;
    int width = 0, height = 0;
    ASSERT_TRUE(w->readBack(image, width, height));
    ASSERT_EQ(width, 1000);
    expectPicture(image, width, height, 100, 1, frame);

    SDL_SetWindowSize(SDL_GetWindowFromID(w->sdlWindowId()), 1600, 960);
    pump(*w);
    EXPECT_TRUE(direct->primaryLost());
    EXPECT_EQ(direct->primaryInfo().width, 1600);  // the new surface is known before it is restored
    EXPECT_FALSE(direct->present());
    ASSERT_TRUE(direct->restorePrimary());
    ASSERT_TRUE(direct->present());
    ASSERT_TRUE(w->readBack(image, width, height));
    ASSERT_EQ(width, 1600);
    EXPECT_EQ(direct->primaryInfo().width, 1600);
    expectPicture(image, width, height, 0, 2, frame);
}

TEST_F(SdlWindowTest, KeyboardMouseFocusAndCloseBecomeMessages) {
    auto w = open(1000, 480);
    if (!w) GTEST_SKIP() << "no SDL video driver works here";
    pump(*w);
    seen.clear();
    uint32_t id = w->sdlWindowId();

    auto push = [](SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); };
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = id;
    e.key.keysym.sym = SDLK_KP_7;
    push(e);
    e.type = SDL_KEYUP;
    push(e);
    e.key.keysym.sym = SDLK_LSHIFT;  // no device key: nothing
    push(e);

    auto mouse = [&](Uint32 type, int x, int y, Uint8 button = SDL_BUTTON_LEFT) {
        SDL_Event m{};
        m.type = type;
        if (type == SDL_MOUSEMOTION) {
            m.motion.windowID = id;
            m.motion.x = x;
            m.motion.y = y;
        } else {
            m.button.windowID = id;
            m.button.button = button;
            m.button.x = x;
            m.button.y = y;
        }
        push(m);
    };
    mouse(SDL_MOUSEMOTION, 300, 0);             // pen not down: no message
    mouse(SDL_MOUSEBUTTONDOWN, 300, 0, SDL_BUTTON_RIGHT);  // not the pen
    mouse(SDL_MOUSEBUTTONDOWN, 600, 240);       // 100-pixel bar on the left: screen x 500
    mouse(SDL_MOUSEMOTION, 950, 10);            // on the right bar: clamped
    mouse(SDL_MOUSEBUTTONUP, 50, 479);
    mouse(SDL_MOUSEMOTION, 300, 0);             // pen up again: no message

    SDL_Event f{};
    f.type = SDL_WINDOWEVENT;
    f.window.windowID = id;
    f.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    push(f);
    f.window.event = SDL_WINDOWEVENT_CLOSE;
    push(f);
    f.window.windowID = id + 1000;  // another window's
    push(f);

    pump(*w);
    std::vector<host::Message> input;
    bool lostFocus = false;
    for (const auto& msg : seen) {
        if (msg.id == MessageId::KillFocus) lostFocus = true;
        if (msg.id == MessageId::Activate || msg.id == MessageId::SetFocus || msg.id == MessageId::KillFocus) continue;
        input.push_back(msg);
    }
    EXPECT_TRUE(lostFocus);
    const std::vector<host::Message> expected = {
        host::keyMessage(103, true),
        host::keyMessage(103, false),
        host::penMessage(host::PenAction::Down, 500, 240),
        host::penMessage(host::PenAction::Move, 799, 10),
        host::penMessage(host::PenAction::Up, 0, 479),
        {MessageId::Close, 0, 0, 0, 0},
    };
    EXPECT_EQ(input, expected);
}

}  // namespace
