// Runs small Java programs as independent oracles: the JDK's own results to compare ours with.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

// The launcher: $JAVA_HOME/bin/java, else `java` on PATH; empty when there is none.
std::string findJava();

struct JavaRun {
    int exitCode = -1;  // -1 when it did not finish normally (killed, timed out, could not start)
    std::string out;
    std::string err;
    std::vector<std::string> lines() const;  // `out` split at '\n'
};

// Runs one source file with the single-file launcher (`java File.java`), `input` on its standard
// input, inside a temporary folder that is removed afterwards. Empty without a launcher.
std::optional<JavaRun> runJavaProgram(const std::filesystem::path& source, std::string_view input = {});

// One question put to an oracle (a line of its input) and our own answer to it.
struct OracleCase {
    std::string line;
    std::string ours;
};

// The oracle's input: every case's line.
std::string oracleInput(const std::vector<OracleCase>& cases);
// Compares our answers with the oracle's, one output line per case. Empty when all agree;
// otherwise the count and the first mismatches, one "line: jdk …, ours …" each.
std::string oracleMismatches(const std::vector<OracleCase>& cases, const std::vector<std::string>& expected);

#ifdef VELTRANO_SOURCE_DIR
// Sources of the oracle programs kept next to the tests: tests/<relative>. Inline because only
// the test programs know the source folder.
inline std::filesystem::path testSource(std::string_view relative) {
    return std::filesystem::path(VELTRANO_SOURCE_DIR) / "tests" / relative;
}
#endif

}  // namespace test_support

// Skips the current test when no Java launcher is installed; otherwise runs the program and fails
// the test when it does not exit cleanly. Binds `var` to the JavaRun.
#define JAVA_ORACLE_RUN(var, source, input)                                                    \
    auto var##_opt = ::test_support::runJavaProgram((source), (input));                          \
    if (!var##_opt) GTEST_SKIP() << "no java launcher on this machine (scripts/setup installs one)"; \
    const ::test_support::JavaRun& var = *var##_opt;                                             \
    ASSERT_EQ(var.exitCode, 0) << "java oracle failed:\n" << var.err
