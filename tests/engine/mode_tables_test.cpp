#include "engine/mode_tables.hpp"

#include <gtest/gtest.h>

#include "insim/packets.hpp"

namespace bnx::engine {
namespace {

std::vector<std::uint32_t> Numbers(const ModeTable& t) {
  std::vector<std::uint32_t> out;
  for (const auto& e : t) out.push_back(e.number);
  return out;
}

TEST(ModeTables, RowsInOrderAndUnknownNumbersAreEmpty) {
  EXPECT_EQ(Numbers(SirenModeTable()), (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Numbers(LightsModeTable()), (std::vector<std::uint32_t>{0, 1, 2, 3}));
  EXPECT_EQ(Numbers(CategoryTable()), (std::vector<std::uint32_t>{0, 1, 2, 3}));
  EXPECT_EQ(FindEntry(SirenModeTable(), 7), nullptr);
  EXPECT_EQ(EntryName(SirenModeTable(), 0xFFFFFFFFu), "");
  EXPECT_EQ(EntryName(LightsModeTable(), 4), "");
  EXPECT_EQ(EntryName(CategoryTable(), 4), "");
}

TEST(ModeTables, KoreanArrowsInSirenTexts) {
  const std::string names[] = {
      "Wail^K\xA1\xEA^LYelp Cycle (1-key, Default)",
      "Wail^K\xA1\xEA^LYelp Cycle + BullHorn A (2-key)",
      "Wail^K\xA1\xEA^LYelp Cycle + BullHorn B (2-key)",
      "Wail^K\xA1\xE6^LYelp^K\xA1\xE6^LPiercer Cycle (1-key)",
      "W^K\xA1\xE6^LY^K\xA1\xE6^LP Cycle + Bullhorn (2-key)",
      "TOW",
      "Race/Civilian",
  };
  for (std::uint32_t m = 0; m < 7; ++m) EXPECT_EQ(EntryName(SirenModeTable(), m), names[m]) << m;
  EXPECT_EQ(FindEntry(SirenModeTable(), 1)->lines.at(2), "^3Hold ^6SirenCombo^3 for Piercer");
  EXPECT_EQ(FindEntry(SirenModeTable(), 2)->lines.at(2),
            "^3Tap^K\xA1\xE6^LLong-Press ^6SirenCombo^3 for Piercer");
  const std::size_t lineCounts[] = {8, 6, 6, 6, 3, 2, 3};
  for (std::uint32_t m = 0; m < 7; ++m)
    EXPECT_EQ(FindEntry(SirenModeTable(), m)->lines.size(), lineCounts[m]) << m;
}

TEST(ModeTables, BulletsInLightsTexts) {
  const auto& classic = FindEntry(LightsModeTable(), 0)->lines;
  ASSERT_EQ(classic.size(), 9u);
  EXPECT_EQ(classic[1], "\x95 no dedicated flashing lights,");
  EXPECT_EQ(classic[3], "");
  EXPECT_EQ(classic[6], "\x95  See: \"Use Hazards with Flashing Lights\" option.");
  EXPECT_EQ(FindEntry(LightsModeTable(), 1)->lines.at(4),
            "\x95  See: \"Include Extra in Flashing Lights\" option.");
  EXPECT_EQ(EntryName(LightsModeTable(), 3), "Extra Beacon + OEM Fogs");
  EXPECT_EQ(EntryName(CategoryTable(), 3), "Race/Civilian");
}

// The screens send each name and line, after a colour prefix, as one button.
TEST(ModeTables, EveryTextFitsOneButton) {
  for (const ModeTable* t : {&SirenModeTable(), &LightsModeTable(), &CategoryTable()})
    for (const auto& e : *t) {
      EXPECT_LE(e.name.size() + 2, insim::kBtnTextCopy);
      for (const auto& l : e.lines) EXPECT_LE(l.size() + 2, insim::kBtnTextCopy);
    }
}

}  // namespace
}  // namespace bnx::engine
