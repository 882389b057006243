#include "platform/fake/game_input.hpp"

#include <stdexcept>

namespace bnx::platform::fake {

struct FakeCounters {
  int open = 0;
  int late = 0;
  bool interface_live = false;
};

struct FakeGameInput::Physical {
  Guid instance;
  Guid product;
  std::string name;
  std::uint32_t buttons = 0;
  std::uint32_t povs = 0;
  bool attached = false;
  bool open_fails = false;
  JoyState state;
};

namespace {

class FakeDevice : public GameDevice {
 public:
  FakeDevice(std::shared_ptr<FakeGameInput::Physical> physical,
             std::shared_ptr<FakeCounters> counters)
      : physical_(std::move(physical)), counters_(std::move(counters)) {
    ++counters_->open;
  }
  ~FakeDevice() override {
    --counters_->open;
    if (!counters_->interface_live) ++counters_->late;
  }

  bool GetInfo(DeviceInstance& info) override {
    info.instance = physical_->instance;
    info.product = physical_->product;
    info.product_name = physical_->name;
    return true;
  }
  bool SetJoystickFormat() override { return true; }
  void CountObjects(std::uint32_t& buttons, std::uint32_t& povs) override {
    buttons += physical_->buttons;
    povs += physical_->povs;
  }
  bool Poll() override { return physical_->attached; }
  bool Acquire() override { return physical_->attached; }
  bool GetState(JoyState& state) override {
    if (!physical_->attached) return false;
    state = physical_->state;
    return true;
  }

 private:
  std::shared_ptr<FakeGameInput::Physical> physical_;
  std::shared_ptr<FakeCounters> counters_;
};

}  // namespace

FakeGameInput::FakeGameInput() : counters_(std::make_shared<FakeCounters>()) {}
FakeGameInput::~FakeGameInput() = default;

bool FakeGameInput::Create() {
  ++create_calls_;
  if (!created_ && !create_fails_) created_ = true;
  counters_->interface_live = created_;
  return created_;
}

void FakeGameInput::Release() {
  created_ = false;
  counters_->interface_live = false;
}

void FakeGameInput::EnumGameControllers(const std::function<void(const DeviceInstance&)>& each) {
  if (!created_) throw std::logic_error("EnumDevices without a DirectInput interface");
  // Copy first: the callback may open devices, and tests may plug from it.
  std::vector<DeviceInstance> found;
  for (const auto& physical : attached_order_)
    if (physical->attached)
      found.push_back({physical->instance, physical->product, physical->name});
  for (const DeviceInstance& instance : found) each(instance);
}

std::unique_ptr<GameDevice> FakeGameInput::CreateDevice(const Guid& instance) {
  if (!created_) throw std::logic_error("CreateDevice without a DirectInput interface");
  for (const auto& physical : attached_order_)
    if (physical->instance == instance && physical->attached && !physical->open_fails)
      return std::make_unique<FakeDevice>(physical, counters_);
  return nullptr;
}

FakeGameInput::Physical* FakeGameInput::Find(const Guid& instance) {
  for (const auto& physical : attached_order_)
    if (physical->instance == instance) return physical.get();
  return nullptr;
}

FakeGameInput::Physical& FakeGameInput::Get(const Guid& instance) {
  Physical* physical = Find(instance);
  if (!physical) throw std::logic_error("no controller with that instance GUID was plugged");
  return *physical;
}

void FakeGameInput::Plug(const Guid& instance, const Guid& product, const std::string& name,
                         std::uint32_t buttons, std::uint32_t povs) {
  Physical* physical = Find(instance);
  if (!physical) physical = attached_order_.emplace_back(std::make_shared<Physical>()).get();
  physical->instance = instance;
  physical->product = product;
  physical->name = name;
  physical->buttons = buttons;
  physical->povs = povs;
  physical->attached = true;
}

void FakeGameInput::Unplug(const Guid& instance) { Get(instance).attached = false; }

void FakeGameInput::SetOpenFails(const Guid& instance, bool fails) {
  Get(instance).open_fails = fails;
}

void FakeGameInput::SetButton(const Guid& instance, std::uint32_t index, bool held) {
  Get(instance).state.buttons.at(index) = held ? 0x80 : 0x00;
}

void FakeGameInput::SetPov(const Guid& instance, std::uint32_t index, std::uint32_t raw) {
  Get(instance).state.pov.at(index) = raw;
}

int FakeGameInput::open_devices() const { return counters_->open; }
int FakeGameInput::late_releases() const { return counters_->late; }

}  // namespace bnx::platform::fake
