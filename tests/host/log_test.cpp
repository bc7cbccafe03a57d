#include <gtest/gtest.h>

#include <string>

#include "host/core/log.h"

TEST(Log, LinesAreCapturedAndLongLinesCut) {
    host::LogCapture capture;
    mrc_log("Application::%s %d", "init", 3);
    std::string huge(5000, 'x');
    mrc_log("%s", huge.c_str());
    auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Application::init 3");
    EXPECT_EQ(lines[1].size(), host::kLogLineMax - 1);
}
