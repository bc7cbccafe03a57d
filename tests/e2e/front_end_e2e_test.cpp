// The executable as a user meets it: one line on standard error and an exit code for each file it
// cannot use, paths relative to where it was started, standard output only for what was asked,
// the log on standard error, in a file or nowhere.
#include <sys/stat.h>

#include <fstream>

#include "tests/e2e/veltrano_run.h"

namespace {

using namespace e2e;

class VeltranoFrontEnd : public VeltranoRun {
protected:
    std::string path(const std::string& relative) const { return (m_dir / relative).string(); }

    // A stand-in run with the fixture's folders and `more`, closing at once unless `script` says
    // otherwise.
    RunResult standInRun(std::vector<std::string> more, const std::string& script = "2 close\n") {
        more.insert(more.begin(), "--headless");
        return runSplit(VELTRANO_STAND_IN, args(script, std::move(more)));
    }
};

// Each file the command line names that cannot be used: one line naming it as given, and the
// run's exit code. Nothing starts (the runtime's first line never shows).
TEST_F(VeltranoFrontEnd, EachUnusableFileGivesOneLineAndAnExitCode) {
    std::filesystem::create_directories(m_dir / "no-archive");
    std::filesystem::create_directories(m_dir / "short-archive");
    test_support::writeText(m_dir / "short-archive" / "data.bar", "x");
    std::filesystem::create_directories(m_dir / "a-folder");
    const struct {
        std::vector<std::string> more;
        int exitCode;
        std::string line;
    } cases[] = {
        {{"--screenshot", path("missing/shot.png")}, 2,
         "cannot write the screenshot " + path("missing/shot.png") + ": No such file or directory"},
        {{"--screenshot", path("a-folder")}, 2, "cannot write the screenshot " + path("a-folder") + ": it is a folder"},
        {{"--input", path("a-folder")}, 2, "cannot read the input script " + path("a-folder") + ": it is a folder"},
        {{"--input", path("nothing.txt")}, 2, "cannot read the input script " + path("nothing.txt") + ": no such file"},
        {{"--log", path("missing/run.log")}, 2,
         "cannot write the log " + path("missing/run.log") + ": No such file or directory"},
        {{"--frame-hashes", path("missing/h.txt")}, 2,
         "cannot write the frame hashes " + path("missing/h.txt") + ": No such file or directory"},
        {{"--data", path("no-archive")}, 3,
         "no data.bar in the data folder " + path("no-archive") + " (give it with --data DIR)"},
        {{"--data", path("nowhere")}, 3, "the data folder " + path("nowhere") + " does not exist (give it with --data DIR)"},
        {{"--data", path("short-archive")}, 3,
         "the index of " + path("short-archive") + "/data.bar cannot be read: the file is too short"},
        {{"--frames", "x"}, 2, "--frames takes a positive number, not \"x\""},
        {{"--fixed-step", "33", "--record-audio", path("missing/a.wav")}, 2,
         "cannot write the sound recording " + path("missing/a.wav") + ": No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        // The later --data wins over the fixture's.
        RunResult r = runSplit(VELTRANO_STAND_IN, args("", [&] {
                                  std::vector<std::string> more = {"--headless"};
                                  more.insert(more.end(), c.more.begin(), c.more.end());
                                  return more;
                              }()));
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.errors, "veltrano: " + c.line + "\n");
        EXPECT_EQ(r.output, "");
    }
}

// The real executable without its data: one line, before the runtime starts (no traces of a game
// reading what is not there).
TEST_F(VeltranoFrontEnd, ARunWithoutDataPrintsOneLine) {
    std::filesystem::create_directories(m_dir / "empty");
    RunResult r = runSplit(VELTRANO_EXECUTABLE, {"--headless", "--data", path("empty"), "--save-dir", path("save")});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.output, "");
    EXPECT_EQ(r.errors, "veltrano: no data.bar in the data folder " + path("empty") + " (give it with --data DIR)\n");
}

// A save folder that cannot be made is said once; the run goes on (nothing is saved).
TEST_F(VeltranoFrontEnd, AnUnusableSaveFolderIsSaidAndTheRunGoesOn) {
    test_support::writeText(m_dir / "a-file", "");
    RunResult r = standInRun({"--save-dir", path("a-file/save")});
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_THAT(r.errors, HasSubstr("veltrano: the save folder " + path("a-file/save") + " cannot be created: "));
    EXPECT_THAT(r.errors, HasSubstr("; nothing will be saved\n"));
    EXPECT_THAT(r.errors, HasSubstr("StandIn destroyApp(true)"));
}

// A screenshot whose folder goes away during the run: the run fails at the end, saying so.
TEST_F(VeltranoFrontEnd, AScreenshotThatCannotBeWrittenAtTheEndFailsTheRun) {
    std::filesystem::create_directories(m_dir / "shots");
    e2e::ChildProcess child(VELTRANO_STAND_IN, args("3 focus lost\n", {"--headless", "--screenshot", path("shots/s.png")}),
                            env(), output());
    ASSERT_TRUE(child.waitForLine("StandIn hideNotify", kRunTimeout)) << child.output();
    std::filesystem::remove_all(m_dir / "shots");
    child.signal(SIGTERM);
    EXPECT_EQ(child.wait(kRunTimeout), 1);
    EXPECT_THAT(child.output(), HasSubstr("veltrano: cannot write the screenshot " + path("shots/s.png") + ": no folder " +
                                          path("shots") + "\n"));
}

// Bad lines of an input script are shown with the bytes a terminal cannot show escaped.
// A sound recording the disk does not take: the run goes to its end and fails there, saying so.
TEST_F(VeltranoFrontEnd, ASoundRecordingThatCannotBeWrittenFailsTheRun) {
    RunResult r = standInRun({"--fixed-step", "33", "--record-audio", "/dev/full"}, "30 close\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_THAT(r.errors, HasSubstr("veltrano: the sound recording /dev/full could not be written in full\n"));
}

TEST_F(VeltranoFrontEnd, BadInputLinesShowTheirBytesEscaped) {
    RunResult r = standInRun({}, "0 key down \x01\xff\x1b[2J\n2 close\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_THAT(r.errors, HasSubstr(":1: unknown key: 0 key down \\x01\\xff\\x1b[2J\n"));
}

// Standard output is for what was asked; the log goes to standard error, to --log alone, or, with
// --quiet, nowhere.
TEST_F(VeltranoFrontEnd, TheLogGoesToStandardErrorOrItsFileOrNowhere) {
    RunResult plain = standInRun({});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.output, "");
    EXPECT_THAT(plain.errors, HasSubstr("Application::startApp\n"));

    RunResult logged = standInRun({"--log=" + path("run.log")});
    EXPECT_EQ(logged.exitCode, 0);
    EXPECT_EQ(logged.output, "");
    EXPECT_EQ(logged.errors, "");
    std::ifstream log(path("run.log"));
    std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_THAT(text, HasSubstr("Application::startApp\n"));

    RunResult quiet = standInRun({"--quiet"});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.output + quiet.errors, "");

    RunResult version = runSplit(VELTRANO_EXECUTABLE, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_THAT(version.output, ::testing::StartsWith("veltrano "));
    EXPECT_EQ(version.errors, "");
    RunResult help = runSplit(VELTRANO_EXECUTABLE, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.output, HasSubstr("--save-dir DIR"));
    EXPECT_EQ(help.errors, "");
}

// Relative paths are taken from the folder the run was started in, in either option form.
TEST_F(VeltranoFrontEnd, RelativePathsAreTheCallersOwn) {
    std::filesystem::create_directories(m_dir / "work");
    test_support::writeText(m_dir / "work" / "in.txt", "2 close\n");
    RunResult r = runSplit(VELTRANO_STAND_IN,
                          {"--headless", "--data=../data", "--save-dir", "save", "--input", "in.txt", "--log", "run.log",
                           "--screenshot=shot.png", "--frame-hashes", "hashes.txt"},
                          m_dir / "work");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    for (const char* made : {"save", "run.log", "shot.png", "hashes.txt"})
        EXPECT_TRUE(std::filesystem::exists(m_dir / "work" / made)) << made;
    EXPECT_EQ(Screenshot(m_dir / "work" / "shot.png").width, 800);
}

}  // namespace
