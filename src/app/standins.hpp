#pragma once
// Temporary stand-ins for the parts of a connection that are still being built.
#include <cstdint>
#include <iosfwd>

#include "config/config.hpp"
#include "engine/hud_output.hpp"
#include "insim/sink.hpp"
#include "platform/platform.hpp"

namespace bnx::standin {

class Hud : public engine::HudOutput {
 public:
  Hud(insim::PacketSink&, const Config&) {}
  void DrawHud() {}
  void SetLightBar(engine::LightBar) override {}
  void SetSirenLabel(std::uint32_t) override {}
  void ShowLeftArrow() override {}
  void ShowRightArrow() override {}
  void HideArrow(std::uint8_t) override {}
};

class Controllers {
 public:
  Controllers(platform::GameInput&, std::ostream&) {}
  void CreateControllers() {}
  void PollAll() {}
};

inline std::uint32_t ReadControlWord(Controllers&, const BindingList&, platform::Keyboard&) { return 0; }

}  // namespace bnx::standin

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace bnx::standin {

inline int LoadConfig(Config&, const std::string&, std::ostream&) { return 1; }
inline void LoadDefaults(Config& c) {
  c.activeSirenMode = c.sirenBehaviour = c.modeCategory = 0;
  c.bindings = {Binding{"", "", 1, {}, {}, {0x22}}, Binding{"", "", 2, {}, {}, {0x21}}};
}
inline void ReadLFSConfig(Config& c, std::ostream&, std::ostream&) {
  std::ifstream in(std::filesystem::path("data") / "script" / "autoexec.lfs");
  std::string line;
  const std::regex port(R"(^\s*\/insim(?:=|=?\s+)(\d{1,5}))");
  std::smatch m;
  while (std::getline(in, line)) {
    if (std::regex_search(line, m, port)) c.insimPort = std::uint32_t(std::stoul(m[1]));
  }
}

}  // namespace bnx::standin
