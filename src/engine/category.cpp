#include "engine/category.hpp"

#include <array>

#include "config/ascii.hpp"
#include "engine/mode_tables.hpp"

namespace bnx::engine {
namespace {

struct Tag {
  std::string_view text;
  std::uint32_t category;
};

// Emergency tags come first: a nickname carrying both [TOW] and [MED] is Emergency.
constexpr std::array<Tag, 6> kTags{{
    {"[COP]", category::kEmergency},
    {"[HWA]", category::kEmergency},
    {"[VCU]", category::kEmergency},
    {"[MED]", category::kEmergency},
    {"[RES]", category::kEmergency},
    {"[TOW]", category::kTow},
}};

constexpr std::string_view kModeChanged = "[RZ]Lights: Active siren mode changed to ^7";

}  // namespace

std::string_view DecidingTag(std::string_view nickname) {
  const std::string upper = AsciiUpper(nickname);
  for (const Tag& tag : kTags)
    if (upper.find(tag.text) != std::string::npos) return tag.text;
  return {};
}

std::uint32_t ClassifyNickname(std::string_view nickname) {
  const std::string_view tag = DecidingTag(nickname);
  for (const Tag& t : kTags)
    if (t.text == tag) return t.category;
  return category::kRaceCivilian;
}

std::string ModeHintText(const Config& config) {
  const bool tow = config.activeSirenMode == siren_mode::kTow;
  const bool automatic = config.modeCategory == category::kAuto;
  std::string text = tow ? "TOW: no siren (" : "Race/Civilian: no siren or flashing lights (";
  if (!automatic) {
    text += "your chosen category). Change it:";
  } else if (tow) {
    text += "Auto, [TOW] in your name). For Emergency: a [COP]-like tag, or";
  } else {
    text += "Auto, no [COP]-like tag in name). Tag it, or";
  }
  return text + " /o bnx cfg > Siren Mode > Emergency";
}

void ApplyModeCategory(CategoryContext& ctx, std::uint32_t cat) {
  if (cat == category::kAuto) cat = ClassifyNickname(ctx.nickname);
  switch (cat) {
    case category::kEmergency:
      SetActiveSirenMode(ctx, ctx.config.sirenBehaviour);
      break;
    case category::kTow:
      SetActiveSirenMode(ctx, siren_mode::kTow);
      break;
    case category::kRaceCivilian:
      SetActiveSirenMode(ctx, siren_mode::kRaceCivilian);
      break;
    default:
      break;
  }
}

void SetActiveSirenMode(CategoryContext& ctx, std::uint32_t mode) {
  if (mode == ctx.config.activeSirenMode) return;
  ctx.config.activeSirenMode = mode;
  std::string text(kModeChanged);
  text += EntryName(SirenModeTable(), mode);
  ctx.sink.SendLocalMessage(text, 0);
}

void OnNewPlayer(CategoryContext& ctx, const insim::Npl& npl) {
  if (npl.ptype & (insim::kPTypeAi | insim::kPTypeRemote)) return;
  if (npl.pname != ctx.nickname) {
    ctx.nickname = npl.pname;
    ApplyModeCategory(ctx, ctx.config.modeCategory);
  }
  // A car that (re)joins is told our headlights again, nickname changed or not.
  if (ctx.reapplyHeadlights) ctx.reapplyHeadlights();
}

void OnPlayerRename(CategoryContext& ctx, const insim::Cpr& cpr) {
  // Until the local connection is known no rename can be ours.
  if (ctx.localUcid == kUnknownUcid || cpr.ucid != ctx.localUcid) return;
  if (cpr.pname == ctx.nickname) return;
  ctx.nickname = cpr.pname;
  ApplyModeCategory(ctx, ctx.config.modeCategory);
}

}  // namespace bnx::engine
