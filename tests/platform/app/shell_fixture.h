// The shell as WinMain sets it up, in-process: a headless main window with the shell's window
// procedure, the GDI display, the started runtime with the stand-in MIDlet, and the audio device.
// Messages are pumped by hand; the exit sequence ends each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/audio/audio.h"
#include "host/core/log.h"
#include "host/headless/headless_window.h"
#include "host/window/system.h"
#include "host/window/window.h"
#include "platform/app/runtime_context.h"
#include "platform/app/shell.h"
#include "platform/display/display.h"
#include "runtime/core/application.h"
#include "tests/platform/app/stand_in_midlet.h"

namespace mrc::test {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::resetSystemState();
        host::audioInit(host::AudioBackend::Headless);
        if (withMidlet()) registerStandInMidlet(standInConfig());
        ShellState& s = shellState();
        s.exitDone = false;
        s.penIgnore = false;
        s.orientationPending = false;
        s.systemKeyDelayMs = 0;
        host::WindowConfig config;
        config.backend = host::Backend::Headless;
        s.window = host::openWindow(config, mrc_WndProc);
        ASSERT_TRUE(s.window);
        ASSERT_TRUE(impl()->openDisplay(u"GDI", *s.window));
        setFrameLimit(0);
        ASSERT_TRUE(impl()->init());
        s.application = app();
        pump();
        startup = log.lines();
        log.clear();
    }

    void TearDown() override {
        mrc_exitSequence();
        unregisterStandInMidlet();
        host::audioShutdown();
        host::resetSystemState();
    }

    virtual bool withMidlet() const { return true; }
    virtual StandInConfig standInConfig() const { return {}; }

    static ApplicationImpl* impl() { return ApplicationImpl::getInstance(); }
    static Application* app() { return ApplicationImpl::getApplication(); }
    static host::Window& window() { return *shellState().window; }
    static host::HeadlessWindow& headless() { return static_cast<host::HeadlessWindow&>(window()); }

    static void pump() { mrc_pumpMessages(); }
    static void post(const host::Message& m) { window().post(m); }
    static void tapKey(uint32_t key) {
        post(host::keyMessage(key, true));
        post(host::keyMessage(key, false));
    }

    // The stand-in's lines logged so far, without the prefix.
    std::vector<std::string> standIn() const {
        std::vector<std::string> out;
        for (const std::string& line : log.lines())
            if (line.rfind("StandIn ", 0) == 0) out.push_back(line.substr(8));
        return out;
    }
    std::size_t count(const std::string& needle) const {
        std::size_t n = 0;
        for (const std::string& line : log.lines())
            if (line.find(needle) != std::string::npos) ++n;
        return n;
    }

    host::LogCapture log;
    std::vector<std::string> startup;  // the lines logged while the shell started
};

}  // namespace mrc::test
