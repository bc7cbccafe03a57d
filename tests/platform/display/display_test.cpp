#include "platform/display/display.h"

#include <gtest/gtest.h>
#include <png.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/core/log.h"
#include "host/headless/frame_store.h"
#include "host/headless/headless_window.h"
#include "host/sdl/sdl_window.h"
#include "runtime/core/application.h"

namespace {

using mrc::ApplicationImpl;
using mrc::Display;

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::WindowConfig config;
        config.backend = host::Backend::Headless;
        config.keepFrames = 0;  // every frame
        window = host::HeadlessWindow::open(config, nullptr);
        ASSERT_TRUE(window);
    }
    void TearDown() override { impl()->closeDisplay(); }

    static ApplicationImpl* impl() { return ApplicationImpl::getInstance(); }

    static void paint(Display* d, uint16_t seed) {
        uint16_t* px = d->getFrameBuffer();
        ASSERT_NE(px, nullptr);
        int pitch = d->getBufferPitch() / 2;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 800; ++x) px[y * pitch + x] = static_cast<uint16_t>(x * 31 + y * 7 + seed);
    }
    static void expectFrame(const host::Frame& f, uint16_t seed) {
        ASSERT_EQ(f.width, 800);
        ASSERT_EQ(f.height, 480);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 800; ++x)
                ASSERT_EQ(f.pixels[y * 800 + x], static_cast<uint16_t>(x * 31 + y * 7 + seed)) << x << "," << y;
    }

    std::unique_ptr<host::HeadlessWindow> window;
};

TEST_F(DisplayTest, TypeNamesChooseTheBackEndAndSayWhich) {
    struct Case {
        const char16_t* type;
        bool ok;
        const char* line;
        bool direct;
    } cases[] = {
        {u"GDI", true, "\nApplicationImpl::openDisplay(GDI): Using GDI display type.\n", false},
        {u"DDRAW", true, "openDisplay(DDRAW): Using DDRAW display type.", true},
        {u"AUTO", true, "\nApplicationImpl::openDisplay(AUTO): Using DDRAW display type.\n", true},
        {u"gdi", false, "\nApplicationImpl::openDisplay(): Display type invalid.\n", false},
        {u"", false, "\nApplicationImpl::openDisplay(): Display type invalid.\n", false},
    };
    for (const Case& c : cases) {
        host::LogCapture log;
        EXPECT_EQ(impl()->openDisplay(c.type, *window), c.ok);
        EXPECT_EQ(log.lines(), std::vector<std::string>{c.line});
        if (c.ok) {
            ASSERT_NE(impl()->display, nullptr);
            EXPECT_EQ(dynamic_cast<mrc::DDrawDisplay*>(impl()->display) != nullptr, c.direct);
        } else {
            EXPECT_EQ(impl()->display, nullptr);
        }
    }
}

TEST_F(DisplayTest, WithoutAPresenterEveryTypeFailsAndAutoFallsBack) {
    // The window's one presenter is taken: neither path can open.
    auto taken = window->createStretchPresenter();
    ASSERT_TRUE(taken);
    host::LogCapture log;
    EXPECT_FALSE(impl()->openDisplay(u"AUTO", *window));
    EXPECT_TRUE(log.contains("\nApplicationImpl::openDisplay(AUTO): Could not create a DDRAW display type.\n"));
    EXPECT_TRUE(log.contains("\nApplicationImpl::openDisplay(AUTO): Could not create a GDI display type.\n"));
    log.clear();
    EXPECT_FALSE(impl()->openDisplay(u"DDRAW", *window));
    EXPECT_TRUE(log.contains("openDisplay(DDRAW): Could not create a DDRAW display type."));
    EXPECT_FALSE(impl()->openDisplay(u"GDI", *window));
    EXPECT_TRUE(log.contains("\nApplicationImpl::openDisplay(GDI): Could not create a GDI display type.\n"));
    EXPECT_EQ(impl()->display->getFrameBuffer(), nullptr);
    EXPECT_FALSE(impl()->display->present());
}

TEST_F(DisplayTest, GdiPresentsItsFrameBufferWithTheScalingFilter) {
    ASSERT_TRUE(impl()->openDisplay(u"GDI", *window));
    Display* d = impl()->display;
    EXPECT_EQ(d->getWidth(), 800);
    EXPECT_EQ(d->getHeight(), 480);
    EXPECT_EQ(d->getBitsPerPixel(), 16);
    EXPECT_EQ(d->getPixelStride(), 2);
    EXPECT_EQ(d->getBufferPitch(), 1600);
    EXPECT_EQ(d->getScreenWidth(), window->drawableWidth());
    EXPECT_EQ(d->getScreenPitch(), window->drawableWidth() * 2);
    EXPECT_EQ(d->scalingMode(), mrc::GdiDisplay::kColorOnColor);
    EXPECT_TRUE(d->lock());
    EXPECT_TRUE(d->unlock());
    uint16_t* buffer = d->getFrameBuffer();

    paint(d, 1);
    ASSERT_TRUE(d->present());
    EXPECT_EQ(window->lastFilter(), host::ScaleFilter::Nearest);
    d->setSmoothScaling();
    paint(d, 2);
    ASSERT_TRUE(d->present());
    EXPECT_EQ(window->lastFilter(), host::ScaleFilter::Smooth);
    d->setFastScaling();
    paint(d, 3);
    ASSERT_TRUE(d->present());
    EXPECT_EQ(window->lastFilter(), host::ScaleFilter::Nearest);
    EXPECT_EQ(d->getFrameBuffer(), buffer);  // drawing goes to one place for the display's life

    // The headless back end keeps and counts every frame.
    ASSERT_EQ(d->frames(), &window->frames());
    EXPECT_EQ(window->frames().count(), 3u);
    std::vector<host::Frame> frames = window->frames().frames();
    ASSERT_EQ(frames.size(), 3u);
    for (int i = 0; i < 3; ++i) expectFrame(frames[i], static_cast<uint16_t>(i + 1));
}

TEST_F(DisplayTest, DirectDrawRestoresLostSurfaces) {
    ASSERT_TRUE(impl()->openDisplay(u"DDRAW", *window));
    Display* d = impl()->display;
    EXPECT_EQ(d->getScreenWidth(), 800);
    EXPECT_EQ(d->getBitsPerPixel(), 16);
    EXPECT_EQ(d->getBufferPitch(), 1600);
    EXPECT_EQ(d->scalingMode(), mrc::DDrawDisplay::kSrcCopy);
    uint16_t* buffer = d->getFrameBuffer();
    paint(d, 5);
    ASSERT_TRUE(d->present());
    expectFrame(*window->frames().last(), 5);

    // A lost primary is restored before the blit.
    window->losePrimarySurface();
    paint(d, 6);
    ASSERT_TRUE(d->present());
    expectFrame(*window->frames().last(), 6);

    // A lost back surface comes back cleared, at the same address.
    window->loseBackSurface();
    EXPECT_EQ(d->getFrameBuffer(), buffer);
    EXPECT_EQ(buffer[0], 0);
    paint(d, 7);
    ASSERT_TRUE(d->present());
    expectFrame(*window->frames().last(), 7);

    // Locked, the back surface is not presented.
    ASSERT_TRUE(d->lock());
    EXPECT_FALSE(d->present());
    ASSERT_TRUE(d->unlock());
    EXPECT_TRUE(d->present());
    EXPECT_EQ(window->frames().count(), 4u);
}

TEST_F(DisplayTest, ScreenshotIsTheLastFrameAsPng) {
    ASSERT_TRUE(impl()->openDisplay(u"GDI", *window));
    Display* d = impl()->display;
    paint(d, 9);
    ASSERT_TRUE(d->present());
    paint(d, 10);  // drawn, not presented
    std::string path = ::testing::TempDir() + "display_screenshot.png";
    ASSERT_TRUE(d->writeScreenshot(path));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    ASSERT_EQ(image.width, 800u);
    for (int i : {0, 1, 799, 800 * 240 + 400, 800 * 480 - 1}) {
        uint8_t want[3];
        host::expandRgb565(static_cast<uint16_t>((i % 800) * 31 + (i / 800) * 7 + 9), want);
        EXPECT_EQ(rgb[i * 3], want[0]);
        EXPECT_EQ(rgb[i * 3 + 1], want[1]);
        EXPECT_EQ(rgb[i * 3 + 2], want[2]);
    }
    std::remove(path.c_str());
}

// Both paths onto a real SDL window (SDL's offscreen driver unless the test run names another).
TEST(DisplaySdl, BothPathsReachTheWindow) {
    const char* required = std::getenv("VELTRANO_TEST_VIDEO");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, required ? required : "offscreen");
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, required ? "" : "software");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, required ? "" : "0");
    host::WindowConfig config;
    config.backend = host::Backend::Sdl;
    config.width = 800;
    config.height = 480;
    config.captureFrames = true;
    auto window = host::SdlWindow::open(config, nullptr);
    if (!window) GTEST_SKIP() << "no SDL window here";
    ApplicationImpl* impl = ApplicationImpl::getInstance();
    for (const char16_t* type : {u"GDI", u"DDRAW"}) {
        ASSERT_TRUE(impl->openDisplay(type, *window));
        uint16_t* px = impl->display->getFrameBuffer();
        ASSERT_NE(px, nullptr);
        int pitch = impl->display->getBufferPitch() / 2;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 800; ++x) px[y * pitch + x] = x < 400 ? 0xF800 : 0x001F;
        EXPECT_TRUE(impl->display->present());
        host::Message m;
        while (window->peek(m)) window->dispatch(m);
        std::vector<uint32_t> argb;
        int w = 0, h = 0;
        ASSERT_TRUE(window->readBack(argb, w, h));
        ASSERT_EQ(w, 800);
        ASSERT_EQ(h, 480);
        // Renderers widen 5 bits to 8 their own way.
        uint32_t left = argb[240 * 800 + 100], right = argb[240 * 800 + 700];
        EXPECT_GE((left >> 16) & 0xFF, 0xF0u);
        EXPECT_LE(left & 0xFFFF, 0x0808u);
        EXPECT_GE(right & 0xFF, 0xF0u);
        EXPECT_LE((right >> 8) & 0xFFFF, 0x0808u);
    }
    impl->closeDisplay();
}

}  // namespace
