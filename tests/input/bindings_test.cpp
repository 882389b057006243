#include "input/bindings.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/fake/game_input.hpp"
#include "platform/fake/keyboard.hpp"

namespace bnx {
// Readable failure messages.
void PrintTo(const Binding& b, std::ostream* os) {
  *os << "{f" << int(b.function) << " '" << b.deviceGuid << "' '" << b.deviceName << "' k";
  for (auto k : b.keys) *os << ' ' << k;
  *os << " b";
  for (auto i : b.buttons) *os << ' ' << i;
  *os << " p";
  for (auto p : b.povs) *os << ' ' << p.index << '/' << p.degrees;
  *os << '}';
}
}  // namespace bnx

namespace bnx::input {
namespace {

using platform::Guid;

Binding Keys(ControlFunction f, std::vector<std::uint32_t> keys) {
  Binding b;
  b.function = f;
  b.keys = std::move(keys);
  return b;
}
Binding Device(ControlFunction f, std::string guid, std::string name,
               std::vector<std::uint32_t> buttons, std::vector<PovInput> povs = {}) {
  Binding b;
  b.deviceGuid = std::move(guid);
  b.deviceName = std::move(name);
  b.function = f;
  b.buttons = std::move(buttons);
  b.povs = std::move(povs);
  return b;
}

TEST(MergeBindings, OneRecordPerFunctionAndDeviceWithInputsInFirstSeenOrder) {
  const BindingList in = {
      Keys(1, {0x22, 0x41}),
      Device(7, "G1", "Wheel", {3}),
      Keys(0, {0x42}),                         // no function: dropped
      Keys(1, {0x41, 0x20, 0x20}),
      Device(7, "G1", "Other name", {3, 1}, {{0, 90}}),
      Keys(7, {0x48}),                         // keyboard stays apart from the wheel
      Device(7, "G1", "", {}, {{0, 90}, {0, 180}, {1, 90}}),
      Device(7, "G2", "Pad", {3}),
      Device(2, "", "", {}, {}),               // function but no inputs: kept, empty
  };
  const BindingList want = {
      Keys(1, {0x22, 0x41, 0x20}),
      Device(7, "G1", "Wheel", {3, 1}, {{0, 90}, {0, 180}, {1, 90}}),
      Keys(7, {0x48}),
      Device(7, "G2", "Pad", {3}),
      Device(2, "", "", {}, {}),
  };
  EXPECT_EQ(MergeBindings(in), want);
  EXPECT_EQ(MergeBindings(want), want);
  EXPECT_TRUE(MergeBindings({Keys(0, {0x41})}).empty());
}

TEST(SplitBindings, OneRecordPerInputKeysThenButtonsThenPovs) {
  Binding mixed = Device(4, "G1", "Wheel", {5, 6}, {{0, 270}});
  mixed.keys = {0x25};
  const BindingList in = {Keys(1, {0x22, 0x23}), Keys(0, {0x41}), mixed};
  const BindingList all = {
      Keys(1, {0x22}),  Keys(1, {0x23}),          Keys(4, {0x25}),
      Device(4, "G1", "Wheel", {5}), Device(4, "G1", "Wheel", {6}),
      Device(4, "G1", "Wheel", {}, {{0, 270}}),
  };
  EXPECT_EQ(SplitBindings(in, 0), all);
  EXPECT_EQ(SplitBindings(in, 1), (BindingList{Keys(1, {0x22}), Keys(1, {0x23})}));
  EXPECT_TRUE(SplitBindings(in, 9).empty());
  const BindingList canonical = {Keys(1, {0x22, 0x23}), Device(4, "G1", "Wheel", {5, 6}, {{0, 270}})};
  EXPECT_EQ(MergeBindings(SplitBindings(canonical, 0)), canonical);
}

TEST(BindingTexts, DeviceAndInputLabels) {
  EXPECT_EQ(DeviceText(Device(1, "G1", "Wheel", {})), "Wheel");
  EXPECT_EQ(DeviceText(Device(1, "G1", "", {})), "{G1}");
  EXPECT_EQ(DeviceText(Keys(1, {0x22})), "");

  EXPECT_EQ(InputText(Keys(1, {0x22, 0x41})), "PgDn");
  EXPECT_EQ(InputText(Keys(1, {0x74})), "F5");
  EXPECT_EQ(InputText(Keys(1, {0x10})), "Key 0x10");  // not a table code: named by its code
  EXPECT_EQ(InputText(Device(1, "G", "W", {0, 7})), "Button 0");
  EXPECT_EQ(InputText(Device(1, "G", "W", {}, {{0, 90}})), "POV-0 90\xB0");
  Binding keyFirst = Device(1, "G", "W", {2}, {{1, 45}});
  keyFirst.keys = {0x41};
  EXPECT_EQ(InputText(keyFirst), "A");
  EXPECT_EQ(InputText(Binding{}), "-");
  EXPECT_EQ(PovText({3, 315}), "POV-3 315\xB0");
  EXPECT_EQ(PovText({0, 0}).size(), 8u);  // the degree sign is one byte
}

class ControlWordTest : public ::testing::Test {
 protected:
  static constexpr Guid kWheelA{1, 0, 0, {}};
  static constexpr Guid kWheelB{2, 0, 0, {}};
  static constexpr Guid kPad{3, 0, 0, {}};
  const Guid kWheelProduct{0xC24F046D, 0, 0, {0, 0, 'P', 'I', 'D', 'V', 'I', 'D'}};
  const Guid kPadProduct{0x00011234, 0, 0, {0, 0, 'P', 'I', 'D', 'V', 'I', 'D'}};
  const std::string kWheel = "C24F046D-0000-0000-000-504944564944";
  const std::string kPadText = "00011234-0000-0000-000-504944564944";

  void SetUp() override {
    input.Plug(kWheelA, kWheelProduct, "Wheel", 12, 1);
    input.Plug(kWheelB, kWheelProduct, "Wheel", 12, 1);
    input.Plug(kPad, kPadProduct, "Pad", 16, 2);
    list.Create(out);
  }
  std::uint32_t Word() {
    list.PollAll();
    return ReadControlWord(list, bindings, keyboard);
  }

  std::ostringstream out;
  platform::fake::FakeGameInput input;
  platform::fake::FakeKeyboard keyboard;
  ControllerList list{input};
  BindingList bindings = {
      Keys(1, {0x22}),
      Keys(2, {0x21}),
      Device(3, kWheel, "Wheel", {2, 12}),
      Device(4, kWheel, "Wheel", {}, {{0, 0}, {0, 90}}),
      Device(5, kPadText, "Pad", {}, {{1, 180}, {2, 180}}),
      Keys(14, {0x45}),
      Device(6, "", "", {0}),             // a button with no device never matches
      Keys(0, {0x46}),                    // function 0 never sets bit 0
  };
};

TEST_F(ControlWordTest, KeysSetTheirFunctionBitsOnly) {
  EXPECT_EQ(Word(), 0u);
  keyboard.Hold(0x22);
  keyboard.Hold(0x45);
  keyboard.Hold(0x46);
  EXPECT_EQ(Word(), (1u << 1) | (1u << 14));
  keyboard.ReleaseAll();
  keyboard.SetState(0x21, 0x0001);  // pressed-since-last-call alone is not held
  EXPECT_EQ(Word(), 0u);
}

TEST_F(ControlWordTest, EitherOfTwoIdenticalControllersAnswers) {
  input.SetButton(kWheelB, 2, true);
  EXPECT_EQ(Word(), 1u << 3);
  input.SetButton(kWheelB, 2, false);
  input.SetButton(kWheelA, 2, true);
  EXPECT_EQ(Word(), 1u << 3);
  EXPECT_TRUE(IsControlActive(list, bindings, 3, keyboard));
  EXPECT_FALSE(IsControlActive(list, bindings, 4, keyboard));
}

TEST_F(ControlWordTest, HatDirectionsMatchExactlyAndCentredNever) {
  const std::pair<std::uint32_t, std::uint32_t> cases[] = {
      {0, 1u << 4},  {99, 1u << 4}, {9000, 1u << 4}, {9099, 1u << 4},
      {100, 0},      {4500, 0},     {27000, 0},      {0xFFFFFFFF, 0},
  };
  for (auto [raw, want] : cases) {
    input.SetPov(kWheelA, 0, raw);
    EXPECT_EQ(Word(), want) << raw;
  }
}

TEST_F(ControlWordTest, AVanishedControllerIsNotHeldUntilItAnswersAgain) {
  input.SetButton(kWheelA, 2, true);
  keyboard.Hold(0x21);
  EXPECT_EQ(Word(), (1u << 2) | (1u << 3));
  input.Unplug(kWheelA);
  EXPECT_EQ(Word(), 1u << 2);  // keyboard bindings keep working
  input.Plug(kWheelA, kWheelProduct, "Wheel", 12, 1);
  EXPECT_EQ(Word(), (1u << 2) | (1u << 3));
}

TEST_F(ControlWordTest, WithoutDirectInputOnlyKeysWork) {
  platform::fake::FakeGameInput broken;
  broken.SetCreateFails(true);
  ControllerList absent{broken};
  absent.Create(out);
  broken.Plug(kWheelA, kWheelProduct, "Wheel", 12, 1);
  broken.SetButton(kWheelA, 2, true);
  keyboard.Hold(0x22);
  absent.PollAll();
  EXPECT_EQ(ReadControlWord(absent, bindings, keyboard), 1u << 1);
}

TEST_F(ControlWordTest, ARescanFindsARepluggedControllerForTheSameBindings) {
  input.Unplug(kWheelA);
  input.Unplug(kWheelB);
  list.Refresh(out);
  EXPECT_EQ(list.controllers().size(), 1u);
  input.Plug(Guid{9, 0, 0, {}}, kWheelProduct, "Wheel", 12, 1);  // new port, new instance
  input.SetButton(Guid{9, 0, 0, {}}, 2, true);
  EXPECT_EQ(Word(), 0u);
  list.Refresh(out);
  EXPECT_EQ(Word(), 1u << 3);
}

}  // namespace
}  // namespace bnx::input
