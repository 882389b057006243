// Writes what each configuration screen sends, as JSON (one file per screen,
// one button per line, field names as node-insim has them), for the pictures
// in docs/screens and for the tests that compare the program with them.
//   screen_gallery <folder>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "config/config_file.hpp"
#include "config/config_format.hpp"
#include "engine/hud.hpp"
#include "ui/ui.hpp"

namespace {

using namespace bnx;

// The settings every picture is taken with; tests/e2e/screens.mjs starts
// the program with the same Beaconix.cfg.
constexpr const char* kConfig = "v:1\nm:2\nM:2\nc:1\nl:1\no:0:1\no:7:1\no:8:1\n";
// The controller screens add bindings of keys, a wheel's buttons and its hat
// (tests/e2e/controls.test.mjs starts the program with the same file).
#define BNX_WHEEL "{C24F046D-0000-0000-000-504944564944}:RzI5IFJhY2luZyBXaGVlbA==:"
constexpr const char* kControlsConfig =
    "v:1\nm:2\nM:2\nc:1\nl:1\no:0:1\no:7:1\no:8:1\n"
    "k:lights:34\nk:lights:66\nb:lights:" BNX_WHEEL "4\np:lights:" BNX_WHEEL
    "0:90\n"
    "k:siren:33\nk:siren2:165\nb:haz:" BNX_WHEEL "7\nk:headl:72\np:extra:" BNX_WHEEL "0:270\n";
#undef BNX_WHEEL

// Bind capture's first step sees nothing held.
struct NoKeys : platform::Keyboard {
  std::uint16_t KeyState(std::uint8_t) override { return 0; }
};
struct NoControllers : platform::GameInput {
  bool Create() override { return false; }
  void EnumGameControllers(const std::function<void(const platform::DeviceInstance&)>&) override {}
  std::unique_ptr<platform::GameDevice> CreateDevice(const platform::Guid&) override { return {}; }
  void Release() override {}
};

class Recorder : public insim::PacketSink {
 public:
  std::vector<insim::Button> buttons;
  void SendTiny(std::uint8_t, std::uint8_t) override {}
  void SendSmall(std::uint8_t, std::uint32_t) override {}
  void SendButton(const insim::Button& b) override {
    buttons.push_back(b);
    if (buttons.back().text.size() > insim::kBtnTextCopy)
      buttons.back().text.resize(insim::kBtnTextCopy);
  }
  // A screen's picture is what was drawn since the last deletion.
  void SendDeleteButtons(std::uint8_t, std::uint8_t, std::uint8_t) override { buttons.clear(); }
  bool SendLocalMessage(std::string_view, std::uint8_t) override { return false; }
};

class NoActions : public ui::Actions {
  void SaveConfig(const Config&) override {}
  void ApplyModeCategory() override {}
  void DrawHud() override {}
  void ApplyRunningLights() override {}
  void RefreshControllers() override {}
};

struct Click {
  std::uint8_t reqi, clickId;
};
struct Shot {
  const char* name;
  std::vector<Click> clicks;  // from no screen open
  const char* config = kConfig;
  bool captureTick = false;  // then one tick of bind capture
};

const std::vector<Shot> kShots = {
    {"main_menu", {{1, 0}}},
    {"siren_mode", {{1, 0}, {2, 20}}},
    {"siren_mode_category", {{1, 0}, {2, 20}, {3, 47}}},
    {"lights_mode", {{1, 0}, {2, 21}}},
    {"misc_options", {{1, 0}, {2, 23}}},
    {"controller_options", {{1, 0}, {2, 22}}, kControlsConfig},
    {"function_bindings", {{1, 0}, {2, 22}, {5, 20}}, kControlsConfig},
    {"edit_control", {{1, 0}, {2, 22}, {5, 20}, {6, 21}}, kControlsConfig, true},
};

std::string Json(const std::string& bytes) {
  std::string s = "\"";
  for (unsigned char c : bytes) {
    if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      s += buf;
    } else {
      s += char(c);
    }
  }
  return s + "\"";
}

bool Write(const std::string& path, const std::vector<insim::Button>& buttons) {
  std::ofstream f(path, std::ios::binary);
  f << "[\n";
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const insim::Button& b = buttons[i];
    f << "  {\"ReqI\": " << int(b.reqi) << ", \"UCID\": " << int(b.ucid)
      << ", \"ClickID\": " << int(b.clickId) << ", \"Inst\": " << int(b.inst)
      << ", \"BStyle\": " << int(b.style) << ", \"TypeIn\": " << int(b.typeIn)
      << ", \"L\": " << int(b.l) << ", \"T\": " << int(b.t) << ", \"W\": " << int(b.w)
      << ", \"H\": " << int(b.h) << ", \"Text\": " << Json(b.text) << "}"
      << (i + 1 < buttons.size() ? ",\n" : "\n");
  }
  f << "]\n";
  return bool(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: screen_gallery <folder>\n";
    return 2;
  }
  const std::string dir = argv[1];
  Config live;
  std::istringstream cfg(kConfig);
  if (config::ReadConfig(live, cfg, std::cerr) != config::LoadResult::kLoaded) return 1;
  NoKeys keys;
  NoControllers noControllers;
  input::ControllerList controllers(noControllers);

  bool ok = true;
  {
    Recorder sink;
    engine::Hud(sink, live).DrawHud();
    ok &= Write(dir + "/hud.json", sink.buttons);
  }
  for (const Shot& shot : kShots) {
    Config copy = live;
    std::istringstream file(shot.config);
    if (config::ReadConfig(copy, file, std::cerr) != config::LoadResult::kLoaded) return 1;
    ui::UiState state;
    Recorder sink;
    NoActions actions;
    ui::Ui ui{state, copy, sink, actions};
    for (const Click& c : shot.clicks) ui::HandleButtonClick(ui, c.reqi, c.clickId);
    if (shot.captureTick) ui::EditControlTick(ui, controllers, keys);
    ok &= Write(dir + "/" + shot.name + ".json", sink.buttons);
  }
  if (!ok) std::cerr << "screen_gallery: could not write to " << dir << "\n";
  return ok ? 0 : 1;
}
