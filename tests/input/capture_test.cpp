#include "input/capture.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/fake/game_input.hpp"
#include "platform/fake/keyboard.hpp"
#include "support/recording_sink.hpp"

namespace bnx::input {
namespace {

using platform::Guid;

const Guid kWheel{1, 0, 0, {1}}, kBox{2, 0, 0, {2}};

struct Rig {
  platform::fake::FakeKeyboard keys;
  platform::fake::FakeGameInput pads;
  ControllerList list{pads};
  test::RecordingSink sink;
  Rig() {
    pads.Plug(kWheel, kWheel, "Wheel", 12, 1);
    pads.Plug(kBox, kBox, "Box", 8, 4);
    std::ostringstream out;
    list.Create(out);
  }
  Binding Pad(const char* name, std::vector<std::uint32_t> buttons, std::vector<PovInput> povs) {
    const auto& c = list.controllers()[name[0] == 'W' ? 0 : 1];
    return {c.productGuid, c.productName, fn::kHazards, std::move(buttons), std::move(povs), {}};
  }
};

Binding Key(std::uint32_t code) { return {"", "", fn::kHazards, {}, {}, {code}}; }

TEST(CaptureBinding, KeysFirstThenEachControllerButtonsBeforeHats) {
  struct Case {
    std::vector<std::uint8_t> keys;
    std::vector<std::pair<Guid, std::uint32_t>> buttons;
    std::vector<std::tuple<Guid, std::uint32_t, std::uint32_t>> hats;
    const char* pad;  // nullptr: want is a key; "": nothing
    Binding want;
  };
  Rig rig;
  const std::vector<Case> cases = {
      {{0x74}, {}, {}, nullptr, Key(0x74)},
      {{0x01}, {}, {}, nullptr, Key(0x01)},                // a mouse button binds like a key
      {{0xA2, 0xA5}, {}, {}, nullptr, Key(0xA5)},          // AltGr: right Alt only
      {{0xA2}, {}, {}, nullptr, Key(0xA2)},
      {{0xA2, 0x41}, {}, {}, nullptr, Key(0x41)},          // the lower code
      {{0xA0, 0xA2, 0xA5}, {}, {}, nullptr, Key(0xA0)},
      {{0x41}, {{kWheel, 3}}, {}, nullptr, Key(0x41)},
      {{}, {{kWheel, 3}}, {}, "W", rig.Pad("W", {3}, {})},
      {{}, {{kWheel, 12}}, {}, "", {}},                    // beyond the button count
      {{}, {}, {{kBox, 0, 9000}}, "B", rig.Pad("B", {}, {{0, 90}})},
      {{}, {}, {{kBox, 0, 4500}}, "B", rig.Pad("B", {}, {{0, 45}})},
      {{}, {}, {{kBox, 3, 18099}}, "B", rig.Pad("B", {}, {{3, 180}})},
      {{}, {{kBox, 5}}, {{kBox, 0, 9000}}, "B", rig.Pad("B", {5}, {})},
      {{}, {}, {{kWheel, 0, 0xFFFF}}, "", {}},             // centred, as some drivers say it
      {{}, {{kBox, 1}}, {{kWheel, 0, 27000}}, "W", rig.Pad("W", {}, {{0, 270}})},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    for (auto k : c.keys) rig.keys.Hold(k);
    for (auto [pad, b] : c.buttons) rig.pads.SetButton(pad, b, true);
    for (auto [pad, p, raw] : c.hats) rig.pads.SetPov(pad, p, raw);
    EXPECT_EQ(CaptureBinding(rig.list, rig.keys, fn::kHazards), c.want) << "case " << i;
    EXPECT_EQ(AnyInputHeld(rig.list, rig.keys), c.want.function != 0 || c.pad == nullptr) << i;
    rig.keys.ReleaseAll();
    for (auto [pad, b] : c.buttons) rig.pads.SetButton(pad, b, false);
    for (auto [pad, p, raw] : c.hats) rig.pads.SetPov(pad, p, 0xFFFFFFFF);
  }
  EXPECT_FALSE(AnyInputHeld(rig.list, rig.keys));
}

TEST(BindCaptureTick, WaitsForReleaseBeforeAndAfterAndEndsOnEscapeOrDelete) {
  Rig rig;
  Capture cap{capture::kStart, fn::kHazards, {}, {31, 37, 138, 126}};
  // Each step: what changes, then one tick: the end, the state, button 41's text if sent.
  struct Step {
    std::function<void()> act;
    CaptureEnd end;
    std::uint8_t state;
    const char* prompt;
  };
  const auto hold = [&](std::uint8_t k) { return [&, k] { rig.keys.Hold(k); }; };
  const auto button = [&](bool on) { return [&, on] { rig.pads.SetButton(kWheel, 3, on); }; };
  const auto none = [] {};
  const std::vector<Step> steps = {
      {hold(0x01), CaptureEnd::kRunning, 2, "^7Please release all Keys & Buttons"},
      {none, CaptureEnd::kRunning, 2, nullptr},
      {[&] { rig.keys.Release(0x01); }, CaptureEnd::kRunning, 3, "^7Press Button to bind"},
      {none, CaptureEnd::kRunning, 3, nullptr},
      {button(true), CaptureEnd::kRunning, 4, "Wheel : ^6 Button 3"},
      {none, CaptureEnd::kRunning, 4, nullptr},  // held: the text stays, nothing stored
      {button(false), CaptureEnd::kCaptured, 0, nullptr},
      {[&] { cap.state = 1; }, CaptureEnd::kRunning, 3, "^7Press Button to bind"},
      {hold(0x4B), CaptureEnd::kRunning, 4, " : ^6 K"},
      {[&] { rig.keys.ReleaseAll(); }, CaptureEnd::kCaptured, 0, nullptr},
      {[&] { cap.state = 3; rig.keys.Hold(0x1B); }, CaptureEnd::kCancel, 0, nullptr},
      {[&] { cap.state = 3; rig.keys.ReleaseAll(); rig.keys.Hold(0x2E); }, CaptureEnd::kRemove, 0, nullptr},
      {none, CaptureEnd::kRunning, 0, nullptr},  // ended: nothing more happens
  };
  Binding captured;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    rig.sink.clear();
    steps[i].act();
    EXPECT_EQ(BindCaptureTick(cap, rig.list, rig.keys, rig.sink, 0), steps[i].end) << "step " << i;
    EXPECT_EQ(cap.state, steps[i].state) << "step " << i;
    const auto prompt = rig.sink.lastButton(capture::kPromptId);
    EXPECT_EQ(prompt ? prompt->text : "", steps[i].prompt ? steps[i].prompt : "") << "step " << i;
    if (i == 0) {  // the help line and the prompt inside the window handed over
      const auto b = rig.sink.buttons();
      ASSERT_EQ(b.size(), 2u);
      EXPECT_EQ(test::Fields(b[0]), test::Fields({1, 0, 40, 0, 0x20, 0, 37, 46, 126, 5,
                                                  "Press ESC to cancel, DEL to remove bind"}));
      EXPECT_EQ(std::tie(b[1].reqi, b[1].style, b[1].l, b[1].t, b[1].w, b[1].h),
                std::make_tuple(1, 0x20, 37, 56, 126, 8));
    }
    if (steps[i].end == CaptureEnd::kCaptured && i < 7) captured = cap.pending;
  }
  EXPECT_EQ(captured, rig.Pad("W", {3}, {}));
  EXPECT_EQ(cap.pending, Key(0x4B));
}

}  // namespace
}  // namespace bnx::input
