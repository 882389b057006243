#include "engine/engine.hpp"

namespace bnx::engine {

namespace {
LightState standin_state;
}

Engine::Engine(const Config&, HudOutput&) {}
void Engine::LightsTick(std::uint32_t, bool, std::uint32_t&, std::uint32_t&, Nanos) {}
std::uint32_t Engine::ReapplyHeadlights() { return 0; }
std::uint32_t Engine::ApplyRunningLights() { return 0; }
const LightState& Engine::light() const { return standin_state; }
bool InputIgnored(const Config&, std::uint16_t, const std::optional<std::string>&) { return false; }

}  // namespace bnx::engine
