// The window frame's controls, and the controller screens with bind capture.
#include "ui/controller_screens.hpp"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "config/config_file.hpp"
#include "config/config_format.hpp"
#include "input/bindings.hpp"
#include "platform/fake/game_input.hpp"
#include "platform/fake/keyboard.hpp"
#include "support/recording_sink.hpp"
#include "ui/frame.hpp"

namespace bnx::ui {
namespace {

// The standard controls follow the window, in bytes: a window past the grid's
// edge wraps instead of failing. The screens' own window is in the golden files.
TEST(Frame, StandardControlsFollowTheWindowAndWrap) {
  ConfigWindow w;
  w.reqi = 5;
  w.top = w.left = 200;
  w.title = "T";
  test::RecordingSink sink;
  DrawWindowFrame(w, sink);
  DrawCancel(w, sink);
  DrawSave(w, sink);
  DrawOk(w, sink);
  DrawHeading(w, sink, 6, "H");
  DrawCheckOption(w, sink, {64, 100, 7, 10, 5, 43}, true, "L", 9);
  ClearScreen(sink);
  const auto btn = [](std::uint8_t id, std::uint8_t style, std::uint8_t l, std::uint8_t t, std::uint8_t w,
                      std::uint8_t h, const std::string& text) {
    return test::RecordingSink::Line("btn", {5, 0, id, 0, style, 0, l, t, w, h}) + " " + text;
  };
  EXPECT_EQ(sink.lines, (std::vector<std::string>{
      btn(6, 32, 200, 200, 100, 100, ""), btn(5, 17, 200, 200, 100, 5, "T"), btn(8, 40, 39, 200, 5, 5, "^1\xD7"),
      btn(12, 29, 31, 37, 12, 6, "Cancel"), btn(15, 28, 18, 37, 12, 6, "Save"), btn(9, 28, 18, 37, 12, 6, "OK"),
      btn(7, 6, 200, 206, 100, 8, "H"), btn(29, 10, 100, 64, 7, 10, "^2^K\xA1\xE1"), btn(49, 102, 106, 66, 43, 5, "L"),
      "del 255 5 84"}));
  EXPECT_TRUE(w.drawn);
}

constexpr int kReleaseAll = -1, kPadButton = 1000;  // besides key codes, in Step::hold

// Two default keys, a pad button on Hazards and twelve hand-edited keys on Flash.
std::string File() {
  std::string f = "v:1\nm:0\nk:lights:34\nk:siren:33\nb:haz:{00000001-0000-0000-000-000000}:UGFk:3\n";
  for (int code = 65; code <= 76; ++code) f += "k:flash:" + std::to_string(code) + "\n";
  return f;
}

struct Rig : Actions {
  std::ostringstream saved;  // every save, one after the other
  void SaveConfig(const Config& c) override { config::WriteConfig(c, saved); }
  void ApplyModeCategory() override {}
  void DrawHud() override {}
  void ApplyRunningLights() override {}
  void RefreshControllers() override {}
  platform::fake::FakeKeyboard keys;
  platform::fake::FakeGameInput pads;
  input::ControllerList list{pads};
  test::RecordingSink sink;
  Config live;
  UiState state;
  Ui ui{state, live, sink, *this};
  std::istringstream in{File()};
  Rig() {
    pads.Plug({1}, {1}, "Pad", 12, 1);
    list.Create(std::cerr), config::ReadConfig(live, in, std::cerr);
  }
  // Inputs, then a click, or a tick (capture runs on screen 7 only) when `reqi` is 0.
  // Returns the screen, the function edit list and the capture prompt sent.
  std::string Step(std::uint8_t reqi, std::uint8_t id, std::vector<int> hold = {}) {
    for (int h : hold) {
      if (h == kReleaseAll) keys.ReleaseAll(), pads.SetButton({1}, 3, false);
      else if (h >= kPadButton) pads.SetButton({1}, std::uint32_t(h - kPadButton), true);
      else keys.Hold(std::uint8_t(h));
    }
    sink.clear();
    if (reqi != 0) HandleButtonClick(ui, reqi, id);
    else if (state.screen == screen::kEditControl) EditControlTick(ui, list, keys);
    std::string seen = std::to_string(state.screen) + ":";
    for (const Binding& b : state.functionEdits) seen += " " + input::InputText(b);
    if (auto p = sink.lastButton(41); p && p->reqi == 1) seen += " | " + p->text;
    return seen;
  }
};

TEST(ControllerScreens, ConfigureControlsCaptureOkSave) {
  Rig rig;
  const std::string press = "^7Press Button to bind";
  const std::vector<std::tuple<std::uint8_t, std::uint8_t, std::vector<int>, std::string>> steps = {
      {1, 0, {}, "2:"}, {2, 22, {}, "5:"}, {5, 20, {}, "6: PgDn"},
      {6, 21, {0x01}, "7: PgDn"},  // Add New; the mouse button is still down
      {0, 0, {}, "7: PgDn | ^7Please release all Keys & Buttons"}, {0, 0, {}, "7: PgDn"},
      // Escape while adding adds nothing; while editing puts the binding back, at the end.
      {0, 0, {kReleaseAll}, "7: PgDn | " + press}, {0, 0, {0x1B}, "6: PgDn"},
      {6, 40, {kReleaseAll}, "7:"}, {0, 0, {}, "7: | " + press}, {0, 0, {0x1B}, "6: PgDn"},
      {6, 50, {kReleaseAll}, "7:"}, {0, 0, {}, "7: | " + press}, {0, 0, {0x2E}, "6:"},  // Delete
      {6, 21, {kReleaseAll}, "7:"}, {0, 0, {}, "7: | " + press},
      {0, 0, {kPadButton + 3}, "7: | Pad : ^6 Button 3"}, {0, 0, {}, "7:"},  // held: not stored
      {0, 0, {kReleaseAll}, "6: Button 3"}, {6, 9, {}, "5: Button 3"}, {5, 15, {}, "2: Button 3"},
  };
  for (const auto& [reqi, id, hold, want] : steps)
    ASSERT_EQ(rig.Step(reqi, id, hold), want) << int(reqi) << "/" << int(id);
  const std::string f = rig.saved.str();
  EXPECT_EQ(f.substr(f.find("k:")), "k:siren:33\nb:haz:{00000001-0000-0000-000-000000}:UGFk:3\n" +
                                        File().substr(File().find("k:flash")) +
                                        "b:lights:{00000001-0000-0000-000-000000}:UGFk:3\n");
}

TEST(ControllerScreens, CancelOrCloseAtEachLevelLeavesTheLiveBindings) {
  const std::vector<std::vector<std::pair<std::uint8_t, std::uint8_t>>> paths = {
      {{5, 12}}, {{5, 8}}, {{5, 20}, {6, 20}, {6, 9}, {5, 12}}, {{5, 20}, {6, 20}, {6, 12}, {5, 15}},
      {{5, 20}, {6, 8}}, {{5, 20}, {6, 21}, {7, 12}, {6, 9}, {5, 8}}, {{5, 20}, {6, 40}, {7, 8}},
  };
  for (const auto& path : paths) {
    Rig rig;
    rig.Step(1, 0), rig.Step(2, 22);
    for (auto [reqi, id] : path) rig.Step(reqi, id);
    rig.keys.Hold(0x41);
    EXPECT_EQ(rig.Step(0, 0).substr(0, 2), path.back().second == 8 ? "0:" : "2:");
    EXPECT_EQ(rig.live.bindings, Rig().live.bindings);
    EXPECT_EQ(rig.saved.str().empty(), path.back().second != 15);
  }
}

TEST(ControllerScreens, TwelveBindingsKeepAllShowTen) {
  Rig rig;
  rig.Step(1, 0), rig.Step(2, 22);
  EXPECT_EQ(rig.sink.lastButton(41 + 3 + 9)->text, "^8... 3 more");  // Flash: 9 of 12, then the rest
  EXPECT_EQ(rig.Step(5, 31), "6: A B C D E F G H I J K L");
  for (const auto& b : rig.sink.buttons) EXPECT_LE(b.clickId, 60);
  EXPECT_EQ(rig.sink.lastButton(60)->text, "^8... 2 more");
  EXPECT_EQ(rig.sink.lastButton(21)->style, 7);  // Add New unavailable
  rig.Step(6, 59), rig.Step(0, 0);  // picks row 10
  EXPECT_EQ(rig.Step(0, 0, {0x1B}), "6: A B C D E F G H I K L J");
  EXPECT_EQ(rig.Step(6, 21, {kReleaseAll}).substr(0, 2), "6:");  // full: Add New does nothing
  rig.Step(6, 9), rig.Step(5, 15);
  EXPECT_EQ(rig.live.bindings[3].keys.size(), 12u);
}

}  // namespace
}  // namespace bnx::ui
