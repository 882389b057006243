#include "input/bindings.hpp"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "input/keys.hpp"

namespace bnx::input {
namespace {

// One record's inputs seen so far, so that a file of many thousand lines
// merges in one pass: keys and buttons by value, hats as index * 2^32 + degrees.
struct Seen {
  std::unordered_set<std::uint32_t> keys, buttons;
  std::unordered_set<std::uint64_t> povs;
};

void MergeInto(Binding& target, Seen& seen, const Binding& source) {
  for (std::uint32_t code : source.keys)
    if (seen.keys.insert(code).second) target.keys.push_back(code);
  for (std::uint32_t index : source.buttons)
    if (seen.buttons.insert(index).second) target.buttons.push_back(index);
  for (const PovInput& pov : source.povs)
    if (seen.povs.insert(std::uint64_t{pov.index} << 32 | pov.degrees).second) target.povs.push_back(pov);
}

bool RecordActive(const ControllerList& controllers, const Binding& record,
                  platform::Keyboard& keyboard) {
  for (std::uint32_t code : record.keys)
    if (IsKeyDown(keyboard, code)) return true;
  if (record.buttons.empty() && record.povs.empty()) return false;
  for (const Controller& controller : controllers.controllers()) {
    if (controller.productGuid != record.deviceGuid) continue;
    for (std::uint32_t index : record.buttons)
      if (ButtonHeld(controller, index)) return true;
    for (const PovInput& pov : record.povs)
      if (PovDirection(controller, pov.index) == pov.degrees) return true;
  }
  return false;
}

}  // namespace

bool IsControlActive(const ControllerList& controllers, const BindingList& bindings,
                     ControlFunction function, platform::Keyboard& keyboard) {
  for (const Binding& record : bindings)
    if (record.function == function && RecordActive(controllers, record, keyboard)) return true;
  return false;
}

std::uint32_t ReadControlWord(const ControllerList& controllers, const BindingList& bindings,
                              platform::Keyboard& keyboard) {
  std::uint32_t word = 0;
  for (int function = 1; function < fn::kCount; ++function)
    if (IsControlActive(controllers, bindings, static_cast<ControlFunction>(function), keyboard))
      word |= std::uint32_t{1} << function;
  return word;
}

BindingList MergeBindings(const BindingList& list) {
  BindingList merged;
  std::vector<Seen> seen;
  // (function, device) to its record in `merged`.
  std::unordered_map<std::string, std::size_t> index;
  std::string key;
  for (const Binding& record : list) {
    if (record.function == fn::kNone) continue;
    key.assign(1, static_cast<char>(record.function));
    key += record.deviceGuid;
    const auto [at, added] = index.try_emplace(key, merged.size());
    if (added) {
      // Start from the device fields only, so repeats inside one record go too.
      Binding& target = merged.emplace_back();
      target.deviceGuid = record.deviceGuid;
      target.deviceName = record.deviceName;
      target.function = record.function;
      seen.emplace_back();
    }
    MergeInto(merged[at->second], seen[at->second], record);
  }
  return merged;
}

BindingList SplitBindings(const BindingList& list, ControlFunction function) {
  BindingList split;
  for (const Binding& record : list) {
    if (record.function == fn::kNone) continue;
    if (function != fn::kNone && record.function != function) continue;
    for (std::uint32_t code : record.keys) {
      Binding& one = split.emplace_back();
      one.function = record.function;
      one.keys = {code};
    }
    for (std::uint32_t index : record.buttons) {
      Binding& one = split.emplace_back();
      one.deviceGuid = record.deviceGuid;
      one.deviceName = record.deviceName;
      one.function = record.function;
      one.buttons = {index};
    }
    for (const PovInput& pov : record.povs) {
      Binding& one = split.emplace_back();
      one.deviceGuid = record.deviceGuid;
      one.deviceName = record.deviceName;
      one.function = record.function;
      one.povs = {pov};
    }
  }
  return split;
}

std::string DeviceText(const Binding& binding) {
  if (!binding.deviceName.empty()) return binding.deviceName;
  if (!binding.deviceGuid.empty()) return "{" + binding.deviceGuid + "}";
  return {};
}

std::string PovText(const PovInput& pov) {
  return "POV-" + std::to_string(pov.index) + " " + std::to_string(pov.degrees) + "\xB0";
}

std::string InputText(const Binding& binding) {
  if (!binding.keys.empty()) return KeyLabel(binding.keys.front());
  if (!binding.buttons.empty()) return "Button " + std::to_string(binding.buttons.front());
  if (!binding.povs.empty()) return PovText(binding.povs.front());
  return "-";
}

}  // namespace bnx::input
