// Writes what each configuration screen sends, as JSON (one file per screen,
// one button per line, field names as node-insim has them), for the pictures
// in docs/screens and for the tests that compare the program with them.
//   screen_gallery <folder>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "config/config_file.hpp"
#include "engine/hud.hpp"
#include "ui/ui.hpp"

namespace {

using namespace bnx;

// The settings every picture is taken with; tests/e2e/screens.test.mjs starts
// the program with the same Beaconix.cfg.
constexpr const char* kConfig = "v:1\nm:2\nM:2\nc:1\nl:1\no:0:1\no:7:1\no:8:1\n";

class Recorder : public insim::PacketSink {
 public:
  std::vector<insim::Button> buttons;
  void SendTiny(std::uint8_t, std::uint8_t) override {}
  void SendSmall(std::uint8_t, std::uint32_t) override {}
  void SendButton(const insim::Button& b) override {
    buttons.push_back(b);
    if (buttons.back().text.size() > insim::kBtnTextCopy) buttons.back().text.resize(insim::kBtnTextCopy);
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
};

const std::vector<Shot> kShots = {
    {"main_menu", {{1, 0}}},
    {"siren_mode", {{1, 0}, {2, 20}}},
    {"siren_mode_category", {{1, 0}, {2, 20}, {3, 47}}},
    {"lights_mode", {{1, 0}, {2, 21}}},
    {"misc_options", {{1, 0}, {2, 23}}},
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
  if (config::ReadConfig(live, cfg, std::cerr) != 0) return 1;

  bool ok = true;
  {
    Recorder sink;
    engine::Hud(sink, live).DrawHud();
    ok &= Write(dir + "/hud.json", sink.buttons);
  }
  for (const Shot& shot : kShots) {
    Config copy = live;
    ui::UiState state;
    Recorder sink;
    NoActions actions;
    ui::Ui ui{state, copy, sink, actions};
    for (const Click& c : shot.clicks) ui::HandleButtonClick(ui, c.reqi, c.clickId);
    ok &= Write(dir + "/" + shot.name + ".json", sink.buttons);
  }
  if (!ok) std::cerr << "screen_gallery: could not write to " << dir << "\n";
  return ok ? 0 : 1;
}
