#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace bnx::platform {

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};
  bool operator==(const Guid&) const = default;
};

// The parts of DIJOYSTATE2 that bindings read.
struct JoyState {
  std::array<std::uint32_t, 4> pov{0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  std::array<std::uint8_t, 128> buttons{};
};

struct DeviceInstance {
  Guid instance;
  Guid product;
  std::string product_name;
};

// One opened game controller (IDirectInputDevice8A).
class GameDevice {
 public:
  virtual ~GameDevice() = default;
  virtual bool GetInfo(DeviceInstance& info) = 0;
  virtual bool SetJoystickFormat() = 0;
  // Counts device objects whose type is GUID_Button and GUID_POV.
  virtual void CountObjects(std::uint32_t& buttons, std::uint32_t& povs) = 0;
  virtual bool Poll() = 0;
  virtual bool Acquire() = 0;
  virtual bool GetState(JoyState& state) = 0;
};

// The DirectInput 8 interface (IDirectInput8A).
class GameInput {
 public:
  virtual ~GameInput() = default;
  // DirectInput8Create; true when the interface exists afterwards.
  virtual bool Create() = 0;
  // EnumDevices(DI8DEVCLASS_GAMECTRL, DIEDFL_ATTACHEDONLY): one call per attached controller.
  virtual void EnumGameControllers(const std::function<void(const DeviceInstance&)>& each) = 0;
  // CreateDevice for an instance GUID; null on failure.
  virtual std::unique_ptr<GameDevice> CreateDevice(const Guid& instance) = 0;
  // Releases the interface (and must be safe to call when Create failed).
  virtual void Release() = 0;
};

}  // namespace bnx::platform
