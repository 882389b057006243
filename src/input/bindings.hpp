#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "input/binding.hpp"
#include "input/controllers.hpp"
#include "platform/keyboard.hpp"

namespace bnx::input {

// Whether any input bound to `function` is held now. Reads the controllers'
// last polled states; does not poll them.
bool IsControlActive(const ControllerList& controllers, const BindingList& bindings,
                     ControlFunction function, platform::Keyboard& keyboard);

// Bit n set while function n (1 to 14) is held; bit 0 never. Every function is
// evaluated. Call ControllerList::PollAll first. Allocates nothing.
std::uint32_t ReadControlWord(const ControllerList& controllers, const BindingList& bindings,
                              platform::Keyboard& keyboard);

// Canonical form: at most one record per (function, deviceGuid), inputs in
// first-seen order without repeats, function-0 records dropped.
BindingList MergeBindings(const BindingList& list);

// The same, one record at a time, in one pass however many there are: a file
// of many thousand lines is merged as it is read.
class BindingMerger {
 public:
  void Add(const Binding& record);
  // The merged list; the merger starts empty again.
  BindingList Take();

 private:
  // One record's inputs so far: hats as index * 2^32 + degrees.
  struct Seen {
    std::unordered_set<std::uint32_t> keys, buttons;
    std::unordered_set<std::uint64_t> povs;
  };
  BindingList merged_;
  std::vector<Seen> seen_;
  std::unordered_map<std::string, std::size_t> index_;  // function byte + device GUID
  std::string key_;
};

// One record per single input (keys, then buttons, then POVs of each record);
// `function` 0 expands all functions, otherwise only that one.
BindingList SplitBindings(const BindingList& list, ControlFunction function);

// The device name, else "{GUID}", else empty (keyboard and mouse).
std::string DeviceText(const Binding& binding);
// The label of the first input: key text, "Button n", PovText, else "-".
std::string InputText(const Binding& binding);
// "POV-" index " " degrees, then the degree sign as the single byte 0xB0.
std::string PovText(const PovInput& pov);

}  // namespace bnx::input
