#include "input/capture.hpp"

#include <algorithm>

#include "input/bindings.hpp"
#include "input/controllers.hpp"
#include "input/keys.hpp"

namespace bnx::input {
namespace {

constexpr std::uint32_t kEscape = 0x1B, kDelete = 0x2E, kLeftCtrl = 0xA2, kRightAlt = 0xA5;
constexpr std::uint32_t kMaxButtons = 128, kMaxPovs = 4;

std::uint32_t ButtonLimit(const Controller& c) { return std::min(c.buttonCount, kMaxButtons); }
std::uint32_t PovLimit(const Controller& c) { return std::min(c.povCount, kMaxPovs); }

void Prompt(const Capture& capture, insim::PacketSink& sink, std::uint8_t clickId,
            std::uint8_t topOffset, std::uint8_t height, std::string text) {
  insim::Button b;
  b.reqi = 1;
  b.clickId = clickId;
  b.style = 0x20;
  b.l = capture.window.left;
  b.t = static_cast<std::uint8_t>(capture.window.top + topOffset);
  b.w = capture.window.width;
  b.h = height;
  b.text = std::move(text);
  sink.SendButton(b);
}

void Ask(const Capture& capture, insim::PacketSink& sink, const char* text) {
  Prompt(capture, sink, capture::kPromptId, 25, 8, std::string("^7") + text);
}

bool OnlyKey(const Binding& b, std::uint32_t code) {
  return b.keys.size() == 1 && b.keys.front() == code && b.buttons.empty() && b.povs.empty();
}

}  // namespace

bool AnyInputHeld(ControllerList& controllers, platform::Keyboard& keyboard) {
  for (const KeyEntry& key : KeyTable())
    if ((keyboard.KeyState(key.code) & 0xFF00) != 0) return true;
  if (!controllers.available()) return false;
  for (Controller& c : controllers.controllers()) {
    Poll(c);
    ReadState(c);
    if (!c.acquired) continue;
    for (std::uint32_t i = 0; i < ButtonLimit(c); ++i)
      if (c.state.buttons[i] & 0x80) return true;
    for (std::uint32_t p = 0; p < PovLimit(c); ++p)
      if (!PovCentred(c.state.pov[p])) return true;
  }
  return false;
}

Binding CaptureBinding(ControllerList& controllers, platform::Keyboard& keyboard,
                       ControlFunction function) {
  Binding found;
  const std::vector<std::uint32_t> down = KeysDown(keyboard);
  if (!down.empty()) {
    const bool altGr = down.size() == 2 && down[0] == kLeftCtrl && down[1] == kRightAlt;
    found.function = function;
    found.keys = {altGr ? kRightAlt : down.front()};
    return found;
  }
  for (Controller& c : controllers.controllers()) {
    Poll(c);
    ReadState(c);
    if (!c.acquired) continue;
    for (std::uint32_t i = 0; i < ButtonLimit(c); ++i) {
      if ((c.state.buttons[i] & 0x80) == 0) continue;
      found.buttons = {i};
      break;
    }
    if (found.buttons.empty()) {
      for (std::uint32_t p = 0; p < PovLimit(c); ++p) {
        if (PovCentred(c.state.pov[p])) continue;
        found.povs = {{p, c.state.pov[p] / 100}};
        break;
      }
    }
    if (found.buttons.empty() && found.povs.empty()) continue;
    found.deviceGuid = c.productGuid;
    found.deviceName = c.productName;
    found.function = function;
    return found;
  }
  return found;
}

std::string CapturedText(const Binding& binding) {
  return DeviceText(binding) + " : ^6 " + InputText(binding);
}

CaptureEnd BindCaptureTick(Capture& capture, ControllerList& controllers,
                           platform::Keyboard& keyboard, insim::PacketSink& sink) {
  // No time limit: capture waits as long as the player likes.
  switch (capture.state) {
    case capture::kStart:
      Prompt(capture, sink, capture::kHelpId, 15, 5, "Press ESC to cancel, DEL to remove bind");
      if (AnyInputHeld(controllers, keyboard)) {
        Ask(capture, sink, "Please release all Keys & Buttons");
        capture.state = capture::kWaitRelease;
      } else {
        Ask(capture, sink, "Press Button to bind");
        capture.state = capture::kWaitPress;
      }
      return CaptureEnd::kRunning;
    case capture::kWaitRelease:
      if (AnyInputHeld(controllers, keyboard)) return CaptureEnd::kRunning;
      Ask(capture, sink, "Press Button to bind");
      capture.state = capture::kWaitPress;
      return CaptureEnd::kRunning;
    case capture::kWaitPress: {
      Binding got = CaptureBinding(controllers, keyboard, capture.function);
      if (got.function == fn::kNone) return CaptureEnd::kRunning;
      if (OnlyKey(got, kEscape) || OnlyKey(got, kDelete)) {
        capture.state = capture::kIdle;
        return OnlyKey(got, kEscape) ? CaptureEnd::kCancel : CaptureEnd::kRemove;
      }
      capture.pending = std::move(got);
      Prompt(capture, sink, capture::kPromptId, 25, 8, CapturedText(capture.pending));
      capture.state = capture::kCaptured;
      return CaptureEnd::kRunning;
    }
    case capture::kCaptured:
      if (AnyInputHeld(controllers, keyboard)) return CaptureEnd::kRunning;
      capture.state = capture::kIdle;
      return CaptureEnd::kCaptured;
    default:
      return CaptureEnd::kRunning;
  }
}

}  // namespace bnx::input
