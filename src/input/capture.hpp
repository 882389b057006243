#pragma once
// Bind capture: the player presses the input to bind. A small state machine
// stepped by the tick thread while the edit-control screen is open.
#include <cstdint>
#include <string>

#include "input/binding.hpp"
#include "input/controllers.hpp"
#include "insim/sink.hpp"
#include "platform/keyboard.hpp"

namespace bnx::input {

// The edit-control window that capture draws its prompts in.
struct CaptureWindow {
  std::uint8_t top = 50, left = 50, height = 100, width = 100;
};

namespace capture {
constexpr std::uint8_t kIdle = 0,   // no capture has run
    kStart = 1,                     // just started: draws its prompts
    kWaitRelease = 2,               // the press that opened the screen is still held
    kWaitPress = 3, kCaptured = 4;  // waiting for the captured input's release
constexpr std::uint8_t kHelpId = 40, kPromptId = 41;
}  // namespace capture

struct Capture {
  std::uint8_t state = capture::kIdle;
  ControlFunction function = fn::kNone;  // the function under edit
  Binding pending;                       // captured, waiting for release
  CaptureWindow window;
};

// How a step of capture left it.
enum class CaptureEnd {
  kRunning,   // nothing decided yet
  kCancel,    // Escape: the edit slot goes back to the list
  kRemove,    // Delete: the edit slot stays out of the list
  kCaptured,  // released after a capture: `pending` is the new binding
};

// Any key of the key table, controller button or hat held now. Polls the controllers.
bool AnyInputHeld(ControllerList& controllers, platform::Keyboard& keyboard);

// One look at every input: keys first (left Ctrl with right Alt, as AltGr
// reports itself, gives right Alt alone), then each controller's lowest
// button, then its lowest hat. Function 0 and no inputs when nothing is held.
Binding CaptureBinding(ControllerList& controllers, platform::Keyboard& keyboard,
                       ControlFunction function);

// Device text, " : ^6 ", input text.
std::string CapturedText(const Binding& binding);

// One 10 ms step. Sends its prompts (ReqI 1) inside `capture.window`; the
// caller acts on the end it returns, which also leaves the state at 0. It has
// no time limit, so it takes no clock.
CaptureEnd BindCaptureTick(Capture& capture, ControllerList& controllers,
                           platform::Keyboard& keyboard, insim::PacketSink& sink);

}  // namespace bnx::input
