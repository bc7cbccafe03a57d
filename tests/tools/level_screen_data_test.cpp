// The level screens' layouts in the sample archive, and the labels and story they show.
#include <gtest/gtest.h>

#include "tools/formats/pack_file.h"
#include "tools/formats/text_pack.h"
#include "tools/sample_data/interface_data.h"
#include "tools/sample_data/prompt_data.h"
#include "tools/sample_data/sample_data.h"
#include "tests/tools/archive_packs.h"

namespace {

using tools_test::Entries;
using tools_test::packOf;

// Records of a definition set: kind, p, x, y, value count, values.
int recordCount(const std::vector<uint8_t>& set) {
    int n = 0;
    for (std::size_t at = 0; at + 8 <= set.size(); at += 8 + 2 * std::size_t(set[at + 7])) ++n;
    return n;
}

TEST(LevelScreenData, TheSummaryPageAndTitleCardLayoutsHoldTheirElements) {
    formats::ArchiveWriter archive = sample_data::buildArchive();
    const Entries sets = packOf(archive, sample_data::kDefinitionsPack);
    ASSERT_EQ(sets.size(), 31u);
    EXPECT_EQ(recordCount(sets[25]), 34) << "the summary, elements 0-33";
    EXPECT_EQ(recordCount(sets[30]), 23) << "the information page, elements 0-22";
    EXPECT_EQ(recordCount(sets[26]), 5) << "the loading screen's prompt and the story's";
    const std::vector<std::string> labels = sample_data::menuLabels();
    for (int id : {59, 87, 88, 89, 90, 91, 92, 93, 94, 95, 100, 101, 102}) EXPECT_FALSE(labels[std::size_t(id)].empty()) << id;
    EXPECT_FALSE(sample_data::loadingTips()[21].empty());
}

}  // namespace
