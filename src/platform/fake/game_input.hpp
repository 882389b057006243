#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gamepad.hpp"

namespace bnx::platform::fake {

// DirectInput in memory: the test plugs and unplugs controllers, presses their
// buttons and pushes their hats. A device opened before its controller was
// unplugged fails Poll, Acquire and GetState until it is plugged in again.
// Not synchronised: drive it from the thread that polls it (tests call Tick
// themselves), unlike FakeKeyboard, which may be held from any thread.
struct FakeCounters;

class FakeGameInput : public GameInput {
 public:
  FakeGameInput();
  ~FakeGameInput() override;

  bool Create() override;
  void EnumGameControllers(const std::function<void(const DeviceInstance&)>& each) override;
  std::unique_ptr<GameDevice> CreateDevice(const Guid& instance) override;
  void Release() override;

  // Creation fails while set.
  void SetCreateFails(bool fails) { create_fails_ = fails; }
  // Attaches a controller (again, when this instance GUID was seen before:
  // devices opened earlier answer once more).
  void Plug(const Guid& instance, const Guid& product, const std::string& name,
            std::uint32_t buttons, std::uint32_t povs);
  void Unplug(const Guid& instance);
  // CreateDevice for this instance fails while set.
  void SetOpenFails(const Guid& instance, bool fails);
  void SetButton(const Guid& instance, std::uint32_t index, bool held);
  // Raw hundredths of a degree; 0xFFFFFFFF is centred.
  void SetPov(const Guid& instance, std::uint32_t index, std::uint32_t raw);

  bool created() const { return created_; }
  int create_calls() const { return create_calls_; }
  // Devices handed out and not yet destroyed.
  int open_devices() const;
  // Devices destroyed after the interface was released: a release-order fault.
  int late_releases() const;

  struct Physical;

 private:
  Physical* Find(const Guid& instance);
  Physical& Get(const Guid& instance);

  std::vector<std::shared_ptr<Physical>> attached_order_;
  std::shared_ptr<FakeCounters> counters_;
  bool create_fails_ = false;
  bool created_ = false;
  int create_calls_ = 0;
};

}  // namespace bnx::platform::fake
