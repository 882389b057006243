#pragma once
// The mode category: the active siren mode derived from the configured
// category, the siren behaviour and the tag in the local player's nickname.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "config/config.hpp"
#include "insim/packets.hpp"
#include "insim/sink.hpp"

namespace bnx::engine {

namespace category {
constexpr std::uint32_t kAuto = 0, kEmergency = 1, kTow = 2, kRaceCivilian = 3;
}

// What the ISApp lends these rules: its active configuration, the nickname
// and UCID of the local player, its sink, and a way to re-send the headlights.
// The ISApp calls every operation below under its state lock; none of them
// blocks beyond the sends.
struct CategoryContext {
  Config& config;
  std::string& nickname;          // empty until the local player is seen
  const std::uint8_t& localUcid;  // 255 until the local IS_NCN
  insim::PacketSink& sink;
  std::function<void()> reapplyHeadlights;
};

constexpr std::uint8_t kUnknownUcid = 255;

// 1, 2 or 3 (never Auto): the first tag found, after ASCII upper-casing.
std::uint32_t ClassifyNickname(std::string_view nickname);
// That tag, as the table writes it ("[COP]"); empty when none is found.
std::string_view DecidingTag(std::string_view nickname);

// The chat line for a key that did nothing because the active siren mode
// (TOW or Race/Civilian) disables it: the mode, why, and how to change it.
std::string ModeHintText(const Config& config);

// Derives the mode for `category` and sets it; categories above 3 do nothing.
void ApplyModeCategory(CategoryContext& ctx, std::uint32_t category);

// Stores the mode and announces it in the chat, unless it is already active.
void SetActiveSirenMode(CategoryContext& ctx, std::uint32_t mode);

void OnNewPlayer(CategoryContext& ctx, const insim::Npl& npl);
void OnPlayerRename(CategoryContext& ctx, const insim::Cpr& cpr);

}  // namespace bnx::engine
