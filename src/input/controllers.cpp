#include "input/controllers.hpp"

#include <cstdio>
#include <ostream>

namespace bnx::input {

int Poll(Controller& controller) {
  if (controller.device && (controller.device->Poll() || controller.device->Acquire())) {
    controller.acquired = true;
    return 0;
  }
  controller.acquired = false;
  return 1;
}

int ReadState(Controller& controller) {
  if (controller.device && controller.device->GetState(controller.state)) {
    controller.acquired = true;
    return 0;
  }
  controller.acquired = false;
  return 1;
}

bool ButtonHeld(const Controller& controller, std::uint32_t index) {
  return controller.acquired && index < controller.buttonCount &&
         index < controller.state.buttons.size() && (controller.state.buttons[index] & 0x80) != 0;
}

std::optional<std::uint32_t> PovDirection(const Controller& controller, std::uint32_t index) {
  if (!controller.acquired || index >= controller.povCount || index >= controller.state.pov.size())
    return std::nullopt;
  const std::uint32_t raw = controller.state.pov[index];
  if (PovCentred(raw)) return std::nullopt;
  return raw / 100;
}

std::string GuidToText(const platform::Guid& guid) {
  char text[64];
  const auto& d = guid.data4;
  int n = std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%X-%X%X%X%X%X%X",
                        unsigned(guid.data1), unsigned(guid.data2), unsigned(guid.data3),
                        unsigned(d[0]), unsigned(d[1]), unsigned(d[2]), unsigned(d[3]),
                        unsigned(d[4]), unsigned(d[5]), unsigned(d[6]), unsigned(d[7]));
  return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

ControllerList::ControllerList(platform::GameInput& input) : input_(input) {}

ControllerList::~ControllerList() { Release(); }

void ControllerList::Release() {
  controllers_.clear();  // devices before the interface that made them
  input_.Release();
  available_ = false;
}

bool ControllerList::Create(std::ostream& out) {
  controllers_.clear();
  available_ = input_.Create();
  if (available_) Enumerate(out);
  return available_;
}

bool ControllerList::Refresh(std::ostream& out) {
  if (!available_) {
    available_ = input_.Create();
    if (!available_) return false;
  }
  controllers_.clear();
  Enumerate(out);
  return true;
}

void ControllerList::PollAll() {
  for (Controller& controller : controllers_) {
    Poll(controller);
    ReadState(controller);
  }
}

void ControllerList::Enumerate(std::ostream& out) {
  input_.EnumGameControllers([&](const platform::DeviceInstance& found) {
    Controller controller;
    controller.device = input_.CreateDevice(found.instance);
    if (!controller.device) {
      out << "Failed to enumerate controller\n";
      return;
    }
    platform::DeviceInstance info;
    if (!controller.device->GetInfo(info)) info = found;  // the enumeration saw the same device
    // A device that cannot be given the joystick format could never be read.
    if (!controller.device->SetJoystickFormat()) {
      out << "Failed to enumerate controller\n";
      return;
    }
    controller.productName = info.product_name;
    controller.productGuid = GuidToText(info.product);
    controller.device->CountObjects(controller.buttonCount, controller.povCount);
    controllers_.push_back(std::move(controller));
  });
}

}  // namespace bnx::input
