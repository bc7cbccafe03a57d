// make_sample_data OUT: writes the sample data archive (data.bar) to OUT.
#include <cstdio>
#include <filesystem>

#include "tools/sample_data/sample_data.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_data OUT (the data.bar to write)\n");
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
