// make_sample_data OUT: writes the sample data archive (data.bar) to OUT.
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "tools/sample_data/sample_data.h"

int main(int argc, char** argv) {
    const char* usage = "usage: make_sample_data OUT (the data.bar to write)\n";
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage, stdout);
        return 0;
    }
    // An option is never a file name: writing an archive called "--verbose" helps nobody.
    if (argc != 2 || argv[1][0] == '-') {
        std::fputs(usage, stderr);
        return 2;
    }
    const std::filesystem::path out = argv[1];
    if (out.has_parent_path()) {
        std::error_code ec;
        std::filesystem::create_directories(out.parent_path(), ec);
    }
    if (!sample_data::buildArchive().save(out)) {
        std::fprintf(stderr, "make_sample_data: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
