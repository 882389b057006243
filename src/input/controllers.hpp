#pragma once
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/gamepad.hpp"

namespace bnx::input {

// One attached game controller, opened at enumeration.
struct Controller {
  std::unique_ptr<platform::GameDevice> device;
  bool acquired = false;  // set by Poll and ReadState; readers check it first
  std::string productName;
  std::string productGuid;   // GuidToText of the product GUID: what bindings match on
  platform::JoyState state;  // last state read; stale while not acquired
  std::uint32_t buttonCount = 0;
  std::uint32_t povCount = 0;
};

// 0 acquired, 1 not acquired: the device's Poll, else Acquire.
int Poll(Controller& controller);
// 0 read, 1 failed (the state keeps its last contents).
int ReadState(Controller& controller);

// Button `index` is held: acquired, below the button count (and 128), bit 0x80 set.
bool ButtonHeld(const Controller& controller, std::uint32_t index);
// A hat reading that means "centred". DirectInput advises a low word of 0xFFFF
// (some drivers report 0x0000FFFF, not 0xFFFFFFFF); a real direction is 0 to
// 35999 hundredths of a degree, and anything beyond could not be stored as a
// binding, so it counts as centred too.
constexpr bool PovCentred(std::uint32_t raw) { return raw >= 36000u; }
// Direction of hat `index` in whole degrees (0 up, clockwise); nullopt when not
// acquired, beyond the POV count or centred.
std::optional<std::uint32_t> PovDirection(const Controller& controller, std::uint32_t index);

// Uppercase hex without braces. Only Data4 byte 0 is padded to two digits; the
// other Data4 bytes take as many digits as they need. Stored configuration
// files carry GUIDs in exactly this form.
std::string GuidToText(const platform::Guid& guid);

// The DirectInput interface and the game controllers attached when it last
// enumerated. Owned by the ISApp for one connection:
//
//   ControllerList controllers(platform.game_input);
//   controllers.Create(out);          // at construction; failure only means no controllers
//   ...every tick, under the state lock:
//   controllers.PollAll();
//   std::uint32_t word = ReadControlWord(controllers, bindings, platform.keyboard);
//   ...on "Refresh Controllers" or "rescan", also under the state lock, since
//   the tick reads the list:
//   controllers.Refresh(out);
//
// Destruction releases every device, then the interface.
class ControllerList {
 public:
  explicit ControllerList(platform::GameInput& input);
  ~ControllerList();
  ControllerList(const ControllerList&) = delete;
  ControllerList& operator=(const ControllerList&) = delete;

  // DirectInput8Create, then enumerate when it worked. Returns available().
  bool Create(std::ostream& out);
  // Retries creation when it failed before; otherwise drops every controller
  // and enumerates afresh. Returns available().
  bool Refresh(std::ostream& out);
  // Poll then ReadState for every controller, in list order. Allocates nothing.
  void PollAll();

  bool available() const { return available_; }
  std::span<Controller> controllers() { return controllers_; }
  std::span<const Controller> controllers() const { return controllers_; }

 private:
  void Enumerate(std::ostream& out);
  void Release();

  platform::GameInput& input_;
  bool available_ = false;
  std::vector<Controller> controllers_;
};

// The names the rest of the program uses for the list operations.
inline bool CreateControllers(ControllerList& list, std::ostream& out) { return list.Create(out); }
inline bool RefreshControllers(ControllerList& list, std::ostream& out) {
  return list.Refresh(out);
}

}  // namespace bnx::input
