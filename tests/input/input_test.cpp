#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "input/bindings.hpp"
#include "input/capture.hpp"
#include "input/keys.hpp"
#include "platform/fake/game_input.hpp"
#include "platform/fake/keyboard.hpp"

namespace bnx::input {
namespace {

using platform::Guid;

Binding K(ControlFunction f, std::vector<std::uint32_t> keys) { return {"", "", f, {}, {}, std::move(keys)}; }
Binding D(ControlFunction f, std::string guid, std::string name, std::vector<std::uint32_t> buttons,
          std::vector<PovInput> povs = {}) {
  return {std::move(guid), std::move(name), f, std::move(buttons), std::move(povs), {}};
}

TEST(Keys, TheTableHoldsEachBindableCodeOnceAndOnlyTheDownBitOfItsCodesCounts) {
  for (const KeyEntry& k : KeyTable()) EXPECT_EQ(FindKey(k.code), &k);  // each code once
  for (std::uint32_t code : {0x00u, 0x07u, 0x10u, 0x11u, 0x12u, 0x3Au, 0x5Eu, 0xC1u, 0xFFu, 300u, 0xFFFFFFFFu})
    EXPECT_EQ(FindKey(code), nullptr) << code;
  const std::pair<std::uint32_t, const char*> texts[] = {{0x22, "PgDn"}, {0x0D, "RETURN"}, {0x30, "0"}, {0xA5, "R-Alt"},
      {0xC0, "`(US) or '(UK) (OEM 3)"}, {0x04, "Mouse 3/Middle Mouse"}, {0xE4, "00"}, {0x10, ""}, {300, ""}};
  for (auto [code, text] : texts) EXPECT_EQ(KeyText(code), text) << code;

  platform::fake::FakeKeyboard keyboard;
  for (std::uint8_t k : {0xA5, 0x10, 0x2C}) keyboard.Hold(k);  // generic Shift (0x10) is never read
  keyboard.SetState(0x41, 0x0100);  // any high-byte bit is down
  keyboard.SetState(0x42, 0x0001);  // "pressed since the last call" alone is not
  EXPECT_EQ(KeysDown(keyboard), (std::vector<std::uint32_t>{0x2C, 0x41, 0xA5}));
  EXPECT_FALSE(IsKeyDown(keyboard, 0x2C + 0x100));  // 300 must not wrap to 0x2C
}

TEST(Bindings, MergeSplitAndLabels) {
  // Function 0 is dropped, the keyboard stays apart from the wheel, a record without inputs is kept.
  const BindingList in = {K(1, {0x22, 0x41}), D(7, "G1", "Wheel", {3}), K(0, {0x42}), K(1, {0x41, 0x20, 0x20}),
      D(7, "G1", "Other", {3, 1}, {{0, 90}}), K(7, {0x48}), D(7, "G1", "", {}, {{0, 90}, {0, 180}, {1, 90}}),
      D(7, "G2", "Pad", {3}), D(2, "", "", {})};
  const BindingList merged = {K(1, {0x22, 0x41, 0x20}), D(7, "G1", "Wheel", {3, 1}, {{0, 90}, {0, 180}, {1, 90}}),
      K(7, {0x48}), D(7, "G2", "Pad", {3}), D(2, "", "", {})};
  EXPECT_EQ(MergeBindings(in), merged);
  EXPECT_EQ(MergeBindings(merged), merged);
  EXPECT_EQ(MergeBindings(SplitBindings(merged, 0)), BindingList(merged.begin(), merged.end() - 1));  // no inputs: gone

  Binding mixed = D(4, "G1", "W", {5, 6}, {{0, 270}});
  mixed.keys = {0x25};
  EXPECT_EQ(SplitBindings({K(1, {0x22, 0x23}), K(0, {0x41}), mixed}, 0),
            (BindingList{K(1, {0x22}), K(1, {0x23}), K(4, {0x25}), D(4, "G1", "W", {5}), D(4, "G1", "W", {6}),
                         D(4, "G1", "W", {}, {{0, 270}})}));
  EXPECT_EQ(SplitBindings({K(1, {0x22}), mixed}, 4).size(), 4u);

  EXPECT_TRUE(DeviceText(D(1, "G1", "Wheel", {})) == "Wheel" && DeviceText(D(1, "G1", "", {})) == "{G1}");
  const std::pair<Binding, const char*> labels[] = {{mixed, "LEFT"}, {K(1, {0x10}), "Key 0x10"}, {Binding{}, "-"},
      {D(1, "G", "W", {7, 0}), "Button 7"}, {D(1, "G", "W", {}, {{3, 315}}), "POV-3 315\xB0"}};  // one-byte degree sign
  for (const auto& [binding, label] : labels) EXPECT_EQ(InputText(binding), label);
}

TEST(GuidToText, PadsOnlyTheFirstByteOfData4) {  // as stored files carry them
  EXPECT_EQ(GuidToText(Guid{0x1, 0xA, 0xB0, {0x05, 0x00, 0x01, 0x0A, 0x0F, 0x10, 0x00, 0xFF}}),
            "00000001-000A-00B0-050-1AF100FF");
  EXPECT_EQ(GuidToText(Guid{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}),
            "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF");
}

// Two identical wheels with one hat and a pad with four, bound by product GUID.
class Controllers : public ::testing::Test {
 protected:
  static constexpr Guid kWheelA{1, 0, 0, {}}, kWheelB{2, 0, 0, {}}, kPad{3, 0, 0, {}}, kNew{9, 0, 0, {}};
  const Guid kWheelProduct{0xC24F046D, 0, 0, {0, 0, 'P', 'I', 'D', 'V', 'I', 'D'}};
  const std::string kWheel = "C24F046D-0000-0000-000-504944564944";
  void SetUp() override {
    for (Guid g : {kWheelA, kWheelB}) input.Plug(g, kWheelProduct, "Wheel", 12, 1);
    input.Plug(kPad, Guid{0x00011234, 0, 0, {}}, "Pad", 16, 4);
    list.Create(out);
  }
  std::uint32_t Word(ControllerList& from) {
    from.PollAll();
    return ReadControlWord(from, bindings, keyboard);
  }
  std::ostringstream out;
  platform::fake::FakeGameInput input;
  platform::fake::FakeKeyboard keyboard;
  std::optional<ControllerList> owner{std::in_place, input};
  ControllerList& list = *owner;
  BindingList bindings = {K(1, {0x22}), K(2, {0x21}), D(3, kWheel, "Wheel", {2, 12}),
                          D(4, kWheel, "Wheel", {}, {{0, 0}, {0, 90}}), K(14, {0x45}),
                          D(6, "", "", {0}),  // a button with no device never matches
                          K(0, {0x46})};      // function 0 never sets bit 0
};

TEST_F(Controllers, EnumerationSkipsWhatCannotOpenAndReleasesDevicesBeforeTheInterface) {
  ASSERT_EQ(list.controllers().size(), 3u);
  EXPECT_EQ(list.controllers()[0].productGuid, kWheel);
  EXPECT_TRUE(list.controllers()[2].povCount == 4 && !list.controllers()[0].acquired);  // not before the first poll
  input.SetOpenFails(kWheelB, true);
  input.Unplug(kPad);
  list.Refresh(out);
  EXPECT_EQ(out.str(), "Failed to enumerate controller\n");
  EXPECT_EQ(list.controllers().size(), 1u);
  EXPECT_EQ(input.open_devices(), 1);
  owner.reset();
  EXPECT_TRUE(input.open_devices() == 0 && input.late_releases() == 0 && !input.created());
}

TEST_F(Controllers, WithoutDirectInputOnlyKeysWorkAndRefreshRetries) {
  platform::fake::FakeGameInput broken;
  broken.Plug(kWheelA, kWheelProduct, "Wheel", 12, 1);
  broken.SetButton(kWheelA, 2, true);
  broken.SetCreateFails(true);
  ControllerList absent{broken};
  EXPECT_FALSE(absent.Create(out) || RefreshControllers(absent, out));
  keyboard.Hold(0x22);
  EXPECT_EQ(Word(absent), 1u << 1);
  broken.SetCreateFails(false);
  EXPECT_TRUE(RefreshControllers(absent, out) && RefreshControllers(absent, out));
  EXPECT_EQ(broken.create_calls(), 3);  // no second interface once one exists
  EXPECT_EQ(Word(absent), (1u << 1) | (1u << 3));
}

TEST_F(Controllers, ControlWordFromKeysButtonsAndHats) {
  EXPECT_EQ(Word(list), 0u);
  for (std::uint8_t k : {0x22, 0x45, 0x46}) keyboard.Hold(k);
  keyboard.SetState(0x21, 0x0001);
  EXPECT_EQ(Word(list), (1u << 1) | (1u << 14));
  keyboard.ReleaseAll();
  input.SetButton(kWheelB, 12, true);  // beyond the button count
  EXPECT_EQ(Word(list), 0u);
  input.SetButton(kWheelB, 2, true);  // either of two identical wheels answers
  EXPECT_EQ(Word(list), 1u << 3);
  EXPECT_TRUE(IsControlActive(list, bindings, 3, keyboard) && !IsControlActive(list, bindings, 4, keyboard));
  input.SetButton(kWheelB, 2, false);
  // Hundredths of a degree, the remainder dropped; a centred hat (low word 0xFFFF, or past 35999) has no direction.
  const std::pair<std::uint32_t, std::optional<std::uint32_t>> hats[] = {{0, 0}, {99, 0}, {9099, 90}, {100, 1},
      {35999, 359}, {0xFFFFFFFF, std::nullopt}, {0x0000FFFF, std::nullopt}, {0x0001FFFF, std::nullopt},
      {36000, std::nullopt}, {100000, std::nullopt}};
  for (auto [raw, degrees] : hats) {
    input.SetPov(kWheelA, 0, raw);
    input.SetPov(kWheelA, 1, 9000);  // beyond the POV count
    EXPECT_EQ(Word(list), degrees == 0u || degrees == 90u ? 1u << 4 : 0u) << raw;
    EXPECT_EQ(PovDirection(list.controllers()[0], 0), degrees) << raw;
    EXPECT_EQ(PovDirection(list.controllers()[0], 1), std::nullopt);
  }
}

TEST_F(Controllers, AnUnpluggedWheelReadsNotHeldUntilItAnswersOrARescanFindsIt) {
  input.SetButton(kWheelA, 2, true);
  input.SetPov(kWheelA, 0, 9000);
  keyboard.Hold(0x21);
  EXPECT_EQ(Word(list), (1u << 2) | (1u << 3) | (1u << 4));
  input.Unplug(kWheelA);
  EXPECT_EQ(Word(list), 1u << 2);  // the stale state still says held; keys keep working
  input.Plug(kWheelA, kWheelProduct, "Wheel", 12, 1);
  EXPECT_EQ(Word(list), (1u << 2) | (1u << 3) | (1u << 4));
  input.Unplug(kWheelA);
  input.Plug(kNew, kWheelProduct, "Wheel", 12, 1);  // new port, new instance
  input.SetButton(kNew, 2, true);
  EXPECT_EQ(Word(list), 1u << 2);
  list.Refresh(out);
  EXPECT_EQ(Word(list), (1u << 2) | (1u << 3));
}

TEST_F(Controllers, CaptureTakesKeysFirstThenEachControllerButtonsBeforeHats) {
  const Guid wheel = kWheelA, box = kPad;
  const auto key = [](std::uint32_t code) { return Binding{"", "", fn::kHazards, {}, {}, {code}}; };
  const auto pad = [&](int n, std::vector<std::uint32_t> buttons, std::vector<PovInput> povs) {
    const Controller& c = list.controllers()[std::size_t(n)];
    return Binding{c.productGuid, c.productName, fn::kHazards, std::move(buttons), std::move(povs), {}};
  };
  struct Case {
    std::vector<std::uint8_t> keys;
    std::vector<std::pair<Guid, std::uint32_t>> buttons;
    std::vector<std::tuple<Guid, std::uint32_t, std::uint32_t>> hats;
    Binding want;  // function 0: nothing captured, nothing held
  };
  const std::vector<Case> cases = {
      {{0x74}, {}, {}, key(0x74)},
      {{0x01}, {}, {}, key(0x01)},                       // a mouse button binds like a key
      {{0xA2, 0xA5}, {}, {}, key(0xA5)},                 // AltGr: right Alt only
      {{0xA2}, {}, {}, key(0xA2)}, {{0xA2, 0x41}, {}, {}, key(0x41)},  // else the lower code
      {{0x41}, {{wheel, 3}}, {}, key(0x41)},
      {{}, {{wheel, 3}}, {}, pad(0, {3}, {})},
      {{}, {{wheel, 12}}, {}, {}},                       // beyond the button count
      {{}, {}, {{box, 0, 9000}}, pad(2, {}, {{0, 90}})},
      {{}, {}, {{box, 0, 4500}}, pad(2, {}, {{0, 45}})},
      {{}, {}, {{box, 3, 18099}}, pad(2, {}, {{3, 180}})},
      {{}, {{box, 5}}, {{box, 0, 9000}}, pad(2, {5}, {})},
      {{}, {}, {{wheel, 0, 0xFFFF}}, {}},                // centred, as some drivers report it
      {{}, {}, {{wheel, 0, 36000}}, {}}, {{}, {}, {{wheel, 0, 4294901700u}}, {}},  // no direction: centred
      {{}, {{box, 1}}, {{wheel, 0, 27000}}, pad(0, {}, {{0, 270}})},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    for (auto k : c.keys) keyboard.Hold(k);
    for (auto [p, b] : c.buttons) input.SetButton(p, b, true);
    for (auto [p, hat, raw] : c.hats) input.SetPov(p, hat, raw);
    EXPECT_EQ(CaptureBinding(list, keyboard, fn::kHazards), c.want) << "case " << i;
    EXPECT_EQ(AnyInputHeld(list, keyboard), c.want.function != 0) << "case " << i;
    keyboard.ReleaseAll();
    for (auto [p, b] : c.buttons) input.SetButton(p, b, false);
    for (auto [p, hat, raw] : c.hats) input.SetPov(p, hat, 0xFFFFFFFF);
  }
}

}  // namespace
}  // namespace bnx::input
