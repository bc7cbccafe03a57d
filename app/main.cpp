// veltrano: the game's executable.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/core/log.h"

namespace {

constexpr const char* kVersion = "0.1.0";

void printHelp() {
    std::printf(
        "Usage: veltrano [options]\n"
        "\n"
        "  --data DIR          folder holding data.bar (default: ./data)\n"
        "  --save-dir DIR      writable folder for record stores\n"
        "  --headless          run without a window (frames kept in memory)\n"
        "  --display MODE      gdi | ddraw | auto (default: gdi)\n"
        "  --frames N          exit after N frames\n"
        "  --screenshot FILE   write the last frame as PNG on exit\n"
        "  --input FILE        scripted input events\n"
        "  --log FILE          append log lines to FILE\n"
        "  --help              this text\n"
        "  --version           the version\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string dataDir = "data";
    bool headless = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "veltrano: %s needs a value\n", name);
                std::exit(2);
            }
            return argv[++i];
        };
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            printHelp();
            return 0;
        } else if (!std::strcmp(a, "--version")) {
            std::printf("veltrano %s\n", kVersion);
            return 0;
        } else if (!std::strcmp(a, "--data")) {
            dataDir = value(a);
        } else if (!std::strcmp(a, "--headless")) {
            headless = true;
        } else if (!std::strcmp(a, "--save-dir") || !std::strcmp(a, "--display") || !std::strcmp(a, "--frames") ||
                   !std::strcmp(a, "--screenshot") || !std::strcmp(a, "--input") || !std::strcmp(a, "--log")) {
            value(a);
        } else {
            std::fprintf(stderr, "veltrano: unknown option %s (try --help)\n", a);
            return 2;
        }
    }
    std::fprintf(stderr,
                 "veltrano: the runtime is under construction; it cannot run the game yet "
                 "(data folder %s, %s).\n",
                 dataDir.c_str(), headless ? "headless" : "windowed");
    return 1;
}
