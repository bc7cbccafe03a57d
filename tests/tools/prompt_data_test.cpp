// The prompt boxes' sample data: the pack entries it replaces, and the pack reader it uses.
#include <gtest/gtest.h>

#include <string>

#include "tests/tools/archive_packs.h"
#include "tools/formats/pack_file.h"
#include "tools/formats/sprite_file.h"
#include "tools/formats/text_pack.h"
#include "tools/sample_data/interface_data.h"
#include "tools/sample_data/prompt_data.h"
#include "tools/sample_data/sample_data.h"

namespace {

using tools_test::Entries;
using tools_test::packOf;

TEST(PromptData, PackEntriesReadWhatThePackWriterWrites) {
    formats::PackWriter w;
    const Entries entries = {{1, 2, 3}, {}, {9}};
    for (const auto& e : entries) w.add(e);
    const std::vector<uint8_t> pack = w.build();
    EXPECT_EQ(sample_data::packEntries(pack), entries);
    EXPECT_TRUE(sample_data::packEntries(std::vector<uint8_t>(pack.begin(), pack.end() - 1)).empty())
        << "an entry running past the end";
    EXPECT_TRUE(sample_data::packEntries({1, 2}).empty()) << "a compressed pack";
    EXPECT_TRUE(sample_data::packEntries({}).empty());
}

TEST(PromptData, TheArchiveCarriesThePromptArtAndTexts) {
    formats::ArchiveWriter archive = sample_data::buildArchive();
    const Entries texts = packOf(archive, sample_data::kTextPack);
    ASSERT_EQ(texts.size(), 7u) << "no text group added or lost";
    EXPECT_EQ(texts[4], formats::textPack(sample_data::loadingTips())) << "group 3";
    EXPECT_EQ(texts[5], formats::textPack(sample_data::speakerTexts())) << "group 5";
    EXPECT_EQ(texts[1], formats::textPack(sample_data::menuLabels())) << "the others stay";

    const Entries startup = packOf(archive, sample_data::kStartupPack);
    const Entries interface = packOf(archive, sample_data::kInterfacePack);
    ASSERT_EQ(startup.size(), 3u);
    ASSERT_EQ(interface.size(), 6u);
    EXPECT_EQ(startup[1], interface[1]) << "sprite slots 0 and 3 share the portraits";
    EXPECT_NE(interface[1], formats::spriteFile(sample_data::interfaceSprite()));
    EXPECT_NE(interface[3], formats::spriteFile(sample_data::softKeySprite())) << "the strip, frame 4";

    const Entries prompt = packOf(archive, 26);
    ASSERT_EQ(prompt.size(), 8u);
    EXPECT_GT(prompt[2].size(), prompt[1].size()) << "sprite 4 in place of its placeholder";

    const std::vector<std::string> tips = sample_data::loadingTips(), speech = sample_data::speakerTexts();
    for (int i = 0; i < 36; ++i)
        if (i < 20 || i >= 22) {
            EXPECT_FALSE(tips[std::size_t(i)].empty()) << "tip " << i;
        }
    for (int i : {0, 1, 2, 3, 4, sample_data::kDialogueText, sample_data::kQuestionText, sample_data::kFirstAnswerText,
                  sample_data::kFirstAnswerText + 1, sample_data::kNoticeText})
        EXPECT_FALSE(speech[std::size_t(i)].empty()) << "text " << i;
    for (const formats::DefinitionRecord& hint : sample_data::upgradeHints()) {
        ASSERT_EQ(hint.values.size(), 3u) << "group, text, arrow";
        EXPECT_EQ(hint.values[0], 5);
        EXPECT_FALSE(speech.at(std::size_t(hint.values[1])).empty()) << "hint text " << hint.values[1];
    }
    EXPECT_NE(speech[sample_data::kDialogueText].find("%j"), std::string::npos) << "the speech runs over two pages";
}

}  // namespace
