#include "platform/win32/game_input.hpp"

#define DIRECTINPUT_VERSION 0x0800
#include <windows.h>
#include <dinput.h>

#include <cstring>
#include <exception>

namespace bnx::platform::win32 {
namespace {

static_assert(sizeof(DIDEVICEINSTANCEA) == 580);
static_assert(sizeof(DIJOYSTATE2) == 272);
static_assert(offsetof(DIJOYSTATE2, rgdwPOV) == 32);
static_assert(offsetof(DIJOYSTATE2, rgbButtons) == 48);

Guid FromWin(const GUID& g) {
  Guid out;
  out.data1 = g.Data1;
  out.data2 = g.Data2;
  out.data3 = g.Data3;
  std::memcpy(out.data4.data(), g.Data4, 8);
  return out;
}

GUID ToWin(const Guid& g) {
  GUID out;
  out.Data1 = g.data1;
  out.Data2 = g.data2;
  out.Data3 = g.data3;
  std::memcpy(out.Data4, g.data4.data(), 8);
  return out;
}

// Fixed-size ANSI field that may lack its terminator.
std::string FieldText(const char* field, std::size_t size) {
  const void* end = std::memchr(field, '\0', size);
  return std::string(field, end ? static_cast<const char*>(end) - field : size);
}

DeviceInstance FromWin(const DIDEVICEINSTANCEA& info) {
  return {FromWin(info.guidInstance), FromWin(info.guidProduct),
          FieldText(info.tszProductName, sizeof info.tszProductName)};
}

class WinGameDevice : public GameDevice {
 public:
  explicit WinGameDevice(IDirectInputDevice8A* device) : device_(device) {}
  ~WinGameDevice() override {
    device_->Unacquire();
    device_->Release();
  }
  WinGameDevice(const WinGameDevice&) = delete;
  WinGameDevice& operator=(const WinGameDevice&) = delete;

  bool GetInfo(DeviceInstance& info) override {
    DIDEVICEINSTANCEA instance{};
    instance.dwSize = sizeof instance;
    if (FAILED(device_->GetDeviceInfo(&instance))) return false;
    info = FromWin(instance);
    return true;
  }

  bool SetJoystickFormat() override { return SUCCEEDED(device_->SetDataFormat(&c_dfDIJoystick2)); }

  void CountObjects(std::uint32_t& buttons, std::uint32_t& povs) override {
    struct Counts {
      std::uint32_t& buttons;
      std::uint32_t& povs;
    } counts{buttons, povs};
    device_->EnumObjects(
        [](LPCDIDEVICEOBJECTINSTANCEA object, LPVOID context) -> BOOL {
          auto& c = *static_cast<Counts*>(context);
          if (object->guidType == GUID_Button) ++c.buttons;
          if (object->guidType == GUID_POV) ++c.povs;
          return DIENUM_CONTINUE;
        },
        &counts, DIDFT_ALL);
  }

  bool Poll() override { return SUCCEEDED(device_->Poll()); }
  bool Acquire() override { return SUCCEEDED(device_->Acquire()); }

  bool GetState(JoyState& state) override {
    DIJOYSTATE2 raw;
    if (FAILED(device_->GetDeviceState(sizeof raw, &raw))) return false;
    static_assert(sizeof state.pov == sizeof raw.rgdwPOV);
    static_assert(sizeof state.buttons == sizeof raw.rgbButtons);
    std::memcpy(state.pov.data(), raw.rgdwPOV, sizeof raw.rgdwPOV);
    std::memcpy(state.buttons.data(), raw.rgbButtons, sizeof raw.rgbButtons);
    return true;
  }

 private:
  IDirectInputDevice8A* device_;
};

struct EnumContext {
  const std::function<void(const DeviceInstance&)>& each;
  std::exception_ptr failure;
};

// Exceptions must not cross DirectInput's frames: stop, and rethrow after.
BOOL CALLBACK EnumDevice(LPCDIDEVICEINSTANCEA instance, LPVOID context) {
  auto& c = *static_cast<EnumContext*>(context);
  try {
    c.each(FromWin(*instance));
  } catch (...) {
    c.failure = std::current_exception();
    return DIENUM_STOP;
  }
  return DIENUM_CONTINUE;
}

}  // namespace

WinGameInput::~WinGameInput() { Release(); }

bool WinGameInput::Create() {
  if (direct_input_) return true;
  void* created = nullptr;
  HRESULT hr =
      DirectInput8Create(GetModuleHandleA(nullptr), 0x0800, IID_IDirectInput8A, &created, nullptr);
  if (FAILED(hr) || !created) return false;
  direct_input_ = static_cast<IDirectInput8A*>(created);
  return true;
}

void WinGameInput::EnumGameControllers(const std::function<void(const DeviceInstance&)>& each) {
  if (!direct_input_) return;
  EnumContext context{each, nullptr};
  direct_input_->EnumDevices(DI8DEVCLASS_GAMECTRL, EnumDevice, &context, DIEDFL_ATTACHEDONLY);
  if (context.failure) std::rethrow_exception(context.failure);
}

std::unique_ptr<GameDevice> WinGameInput::CreateDevice(const Guid& instance) {
  if (!direct_input_) return nullptr;
  IDirectInputDevice8A* device = nullptr;
  if (FAILED(direct_input_->CreateDevice(ToWin(instance), &device, nullptr)) || !device)
    return nullptr;
  return std::make_unique<WinGameDevice>(device);
}

void WinGameInput::Release() {
  if (direct_input_) direct_input_->Release();
  direct_input_ = nullptr;
}

}  // namespace bnx::platform::win32
