#pragma once
// The configuration screens: what is open, what is being edited, and the
// routing of a click to the screen that drew the button.
#include <cstdint>

#include "config/config.hpp"
#include "input/binding.hpp"
#include "input/capture.hpp"
#include "input/controllers.hpp"
#include "insim/sink.hpp"
#include "platform/keyboard.hpp"

namespace bnx::ui {

// `UI screen` values; each is also the ReqI of that screen's buttons.
namespace screen {
constexpr std::uint8_t kNone = 0, kMainMenu = 2, kSirenMode = 3, kLightsMode = 4,
                       kControllerOptions = 5, kFunctionBindings = 6, kEditControl = 7,
                       kMiscOptions = 8;
}

constexpr std::uint32_t kCategoryShown = 8;  // shown siren mode while a category is shown
constexpr std::uint32_t kNoCategory = 4;     // shown category: none

// Everything the screens keep between clicks. Guarded by the ISApp's state
// lock, like the live configuration the tick reads.
struct UiState {
  std::uint8_t screen = screen::kNone;
  Config working;
  // Controller screens.
  BindingList workingBindings;
  ControlFunction functionUnderEdit = 0;
  BindingList functionEdits;
  Binding editSlot;
  input::Capture capture;
  // Mode screens: which description the panel shows.
  std::uint32_t shownSirenMode = 0;
  std::uint32_t shownCategory = kNoCategory;
  std::uint32_t shownLightsMode = 0;
};

// What a screen asks of the rest of the program beyond sending buttons.
class Actions {
 public:
  virtual ~Actions() = default;
  // Beaconix.cfg is written from this copy once the click has been handled
  // and the state lock released.
  virtual void SaveConfig(const Config& snapshot) = 0;
  // With the live mode category; announces a change in the chat.
  virtual void ApplyModeCategory() = 0;
  virtual void DrawHud() = 0;
  virtual void ApplyRunningLights() = 0;
  virtual void RefreshControllers() = 0;
};

// What every screen works on. Used only with the state lock held.
struct Ui {
  UiState& state;
  Config& live;
  insim::PacketSink& sink;
  Actions& actions;
};

// IS_BTC: close and HUD title first, then the screen named by ReqI.
void HandleButtonClick(Ui& ui, std::uint8_t reqi, std::uint8_t clickId);
// IS_BFN BFN_USER_CLEAR: the player removed every button.
void OnUserClear(Ui& ui);
// One step of bind capture; the tick calls it while the edit-control screen is open.
void EditControlTick(Ui& ui, input::ControllerList& controllers, platform::Keyboard& keyboard);
// The HUD title: the main menu, unless a screen is open.
void OpenMainMenu(Ui& ui);
// The "config" chat command: the main menu, in place of any open screen.
void ShowMainMenuOver(Ui& ui);
// The "clear" chat command: every button goes, and with them the open screen,
// as when the player clears them in LFS.
void ClearAllButtons(Ui& ui);

}  // namespace bnx::ui
