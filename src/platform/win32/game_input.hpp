#pragma once
#include "platform/gamepad.hpp"

struct IDirectInput8A;

namespace bnx::platform::win32 {

// DirectInput 8 (ANSI interfaces) for game controllers.
class WinGameInput : public GameInput {
 public:
  WinGameInput() = default;
  ~WinGameInput() override;
  WinGameInput(const WinGameInput&) = delete;
  WinGameInput& operator=(const WinGameInput&) = delete;

  bool Create() override;
  void EnumGameControllers(const std::function<void(const DeviceInstance&)>& each) override;
  std::unique_ptr<GameDevice> CreateDevice(const Guid& instance) override;
  void Release() override;

 private:
  IDirectInput8A* direct_input_ = nullptr;
};

}  // namespace bnx::platform::win32
