#include "input/bindings.hpp"

#include <utility>

#include "input/keys.hpp"

namespace bnx::input {
namespace {

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

void BindingMerger::Add(const Binding& record) {
  if (record.function == fn::kNone) return;
  key_.assign(1, static_cast<char>(record.function));
  key_ += record.deviceGuid;
  const auto [at, added] = index_.try_emplace(key_, merged_.size());
  if (added) {
    // Start from the device fields only, so repeats inside one record go too.
    Binding& target = merged_.emplace_back();
    target.deviceGuid = record.deviceGuid;
    target.deviceName = record.deviceName;
    target.function = record.function;
    seen_.emplace_back();
  }
  Binding& target = merged_[at->second];
  Seen& seen = seen_[at->second];
  for (std::uint32_t code : record.keys)
    if (seen.keys.insert(code).second) target.keys.push_back(code);
  for (std::uint32_t index : record.buttons)
    if (seen.buttons.insert(index).second) target.buttons.push_back(index);
  for (const PovInput& pov : record.povs)
    if (seen.povs.insert(std::uint64_t{pov.index} << 32 | pov.degrees).second)
      target.povs.push_back(pov);
}

BindingList BindingMerger::Take() {
  index_.clear();
  seen_.clear();
  return std::exchange(merged_, {});
}

BindingList MergeBindings(const BindingList& list) {
  BindingMerger merger;
  for (const Binding& record : list) merger.Add(record);
  return merger.Take();
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
