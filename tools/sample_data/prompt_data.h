// The sample data of the prompt boxes: the bottom panel's parts and the dialog arrows (sprite 4),
// the name band, portrait frame and portraits of the interface sprite, the soft-key strip that
// the panel sits on, the speakers' names with a few dialogue, answer and notice texts (text group
// 5) and the loading tips (text group 3), the upgrade panel's hints (layout 10, their texts in
// group 5). Our own pictures and English.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/formats/archive_file.h"
#include "tools/formats/definitions_file.h"
#include "tools/formats/sprite_file.h"

namespace sample_data {

// Text group 5: the speakers' names 0-4, then the dialogue, question, answers, notice and hints.
inline constexpr int kSpeakerNames = 0;
inline constexpr int kDialogueText = 10;  // a paged speech
inline constexpr int kQuestionText = 11;
inline constexpr int kFirstAnswerText = 12;  // and 13
inline constexpr int kNoticeText = 14;
inline constexpr int kFirstHintText = 15;  // 15-19: the upgrade panel's hints
std::vector<std::string> speakerTexts();
// Text group 3: random tips 0-19 and the tips 22-35 shown while a level loads.
std::vector<std::string> loadingTips();

// Layout 10's elements 46-50: the upgrade panel's five hints in framed boxes (kind 2, x, y, then
// the text's group and id and the box's arrow corner, -1 none). The first hint's x is its centre.
inline constexpr int kFirstHintElement = 46, kUpgradeHints = 5;
std::vector<formats::DefinitionRecord> upgradeHints();

// The prompts' page marker (HUD instance 2 over sprite slot 16, animations 2 and 38): frame 2 of
// `s`, a gold arrow pointing down, drawn left of and above the instance's point.
void addPageMarker(formats::SpriteData& s);

// The entries of an uncompressed pack (a flag byte 0, the offset count, the little-endian
// offsets, relative and one more than the entries, then the entries' bytes); empty when damaged.
std::vector<std::vector<uint8_t>> packEntries(const std::vector<uint8_t>& pack);

// Replaces entry `entry` of the archive's pack p (nothing when the pack or entry is missing).
void setPackEntry(formats::ArchiveWriter& archive, int p, int entry, const std::vector<uint8_t>& bytes);

// Puts the prompt art and texts into the archive's packs (after they are added).
void addPromptData(formats::ArchiveWriter& archive);

}  // namespace sample_data
