#include "input/keys.hpp"

#include <gtest/gtest.h>

#include <set>

#include "input/functions.hpp"
#include "platform/fake/keyboard.hpp"

namespace bnx::input {
namespace {

TEST(KeyTable, HasEveryBindableCodeOnceInAscendingOrder) {
  auto table = KeyTable();
  ASSERT_EQ(table.size(), 158u);
  for (std::size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].code, table[i].code);
  for (const KeyEntry& key : table) {
    EXPECT_FALSE(key.symbol.empty()) << int(key.code);
    EXPECT_EQ(FindKey(key.code), &key);
  }
}

TEST(KeyTable, LeavesOutTheGenericAndUnassignedCodes) {
  for (std::uint32_t code : {0x00u, 0x07u, 0x0Au, 0x10u, 0x11u, 0x12u, 0x1Cu, 0x3Au, 0x40u, 0x5Eu,
                             0x88u, 0x9Fu, 0xB8u, 0xC1u, 0xDAu, 0xE0u, 0xE5u, 0xF5u, 0xFCu, 0xFFu,
                             0x100u, 300u, 0xFFFFFFFFu})
    EXPECT_EQ(FindKey(code), nullptr) << code;
}

TEST(KeyText, ShowsDisplayNameElseSymbol) {
  const std::pair<std::uint32_t, const char*> cases[] = {
      {0x22, "PgDn"},  {0x74, "F5"},     {0x0D, "RETURN"},  {0x03, "CANCEL"},
      {0x20, "SPACE"}, {0x25, "LEFT"},   {0x30, "0"},       {0x5A, "Z"},
      {0x87, "F24"},   {0x69, "NUMPAD9"}, {0xA5, "R-Alt"},  {0xDC, "\\ (OEM 5)"},
      {0xC0, "`(US) or '(UK) (OEM 3)"},  {0xE2, "< or \\ (OEM 102)"},
      {0x04, "Mouse 3/Middle Mouse"},    {0xFE, "OEM_CLEAR"}, {0xE4, "00"},
  };
  for (auto [code, text] : cases) EXPECT_EQ(KeyText(code), text) << code;
  EXPECT_EQ(FindKey(0x41)->symbol, "KEY_A");
  EXPECT_EQ(FindKey(0x39)->symbol, "KEY_9");
  EXPECT_EQ(KeyText(0x10), "");
  EXPECT_EQ(KeyText(300), "");
}

TEST(KeysDown, ReportsHeldTableKeysInCodeOrder) {
  platform::fake::FakeKeyboard keyboard;
  EXPECT_TRUE(KeysDown(keyboard).empty());
  keyboard.Hold(0xA5);
  keyboard.Hold(0xA2);
  keyboard.Hold(0x10);  // generic Shift is never read
  EXPECT_EQ(KeysDown(keyboard), (std::vector<std::uint32_t>{0xA2, 0xA5}));
  keyboard.SetState(0x41, 0x0100);  // any high-byte bit counts as down
  keyboard.SetState(0x42, 0x0001);  // "pressed since last call" alone does not
  EXPECT_EQ(KeysDown(keyboard), (std::vector<std::uint32_t>{0x41, 0xA2, 0xA5}));
}

TEST(IsKeyDown, ReadsOnlyTheDownBitAndNeverWrapsLargeCodes) {
  platform::fake::FakeKeyboard keyboard;
  keyboard.Hold(0x2C);
  EXPECT_TRUE(IsKeyDown(keyboard, 0x2C));
  EXPECT_FALSE(IsKeyDown(keyboard, 0x2C + 0x100));  // 300 must not read 0x2C
  keyboard.SetState(0x41, 0x0001);
  EXPECT_FALSE(IsKeyDown(keyboard, 0x41));
}

TEST(Functions, KeysAndNamesOfEveryId) {
  EXPECT_EQ(FunctionConfigKey(0), "none");
  EXPECT_EQ(FunctionDisplayName(0), "None");
  EXPECT_EQ(FunctionConfigKey(3), "siren2");
  EXPECT_EQ(FunctionDisplayName(2), "Horn/Siren");
  EXPECT_EQ(FunctionConfigKey(14), "extra");
  EXPECT_EQ(FunctionDisplayName(14), "Extra Light");
  std::set<std::string_view> keys;
  for (int id = 0; id < fn::kCount; ++id) {
    EXPECT_FALSE(FunctionDisplayName(id).empty());
    keys.insert(FunctionConfigKey(id));
  }
  EXPECT_EQ(keys.size(), std::size_t(fn::kCount));
  EXPECT_EQ(FunctionConfigKey(15), "");
  EXPECT_EQ(FunctionDisplayName(255), "");
}

}  // namespace
}  // namespace bnx::input
