// The entries of a pack in an archive the sample data builds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/formats/archive_file.h"
#include "tools/sample_data/prompt_data.h"

namespace tools_test {

using Entries = std::vector<std::vector<uint8_t>>;

// Pack p's entries; empty when the archive has no such pack.
inline Entries packOf(formats::ArchiveWriter& archive, int p) {
    std::string name = std::string("pack") + (p < 10 ? "0" : "") + std::to_string(p);
    formats::ArchiveEntry* e = archive.find(name);
    return e == nullptr ? Entries{} : sample_data::packEntries(e->data);
}

}  // namespace tools_test
