#include "ui/ui.hpp"

#include "ui/controller_screens.hpp"
#include "ui/frame.hpp"
#include "ui/screens.hpp"

namespace bnx::ui {

void HandleButtonClick(Ui& ui, std::uint8_t reqi, std::uint8_t clickId) {
  if (clickId == click::kHudTitle) OpenMainMenu(ui);
  if (clickId == click::kClose) {
    ClearScreen(ui.sink);
    ui.state.screen = screen::kNone;
  }
  // A click on a screen that has gone (LFS may report one after our deletion)
  // must not edit the working copy or draw over the screen now open.
  if (reqi != ui.state.screen) return;
  switch (reqi) {
    case screen::kMainMenu:
      MainMenuClick(ui, clickId);
      break;
    case screen::kSirenMode:
      SirenModeClick(ui, clickId);
      break;
    case screen::kLightsMode:
      LightsModeClick(ui, clickId);
      break;
    case screen::kMiscOptions:
      MiscOptionsClick(ui, clickId);
      break;
    case screen::kControllerOptions:
      ControllerOptionsClick(ui, clickId);
      break;
    case screen::kFunctionBindings:
      FunctionBindingsClick(ui, clickId);
      break;
    case screen::kEditControl:
      EditControlClick(ui, clickId);
      break;
    default:
      break;
  }
}

void OnUserClear(Ui& ui) { ui.state.screen = screen::kNone; }

void ShowMainMenuOver(Ui& ui) {
  // Otherwise its other buttons would stay on screen, dead: their clicks name a closed screen.
  if (ui.state.screen != screen::kNone) ClearScreen(ui.sink);
  ShowMainMenu(ui);
}

void ClearAllButtons(Ui& ui) {
  ui.sink.SendDeleteButtons(0, 0, 200);
  ui.state.screen = screen::kNone;
}

void OpenMainMenu(Ui& ui) {
  if (ui.state.screen == screen::kNone) ShowMainMenu(ui);
}

ConfigWindow OpenScreen(Ui& ui, std::uint8_t screen, std::string_view title, Grow grow) {
  ui.state.screen = screen;
  ConfigWindow w;
  w.reqi = screen;
  w.title = "Beaconix :: Config :: ";
  w.title += title;
  w.top = u8(w.top - grow.down), w.left = u8(w.left - grow.across);
  w.height = u8(w.height + 2 * grow.down), w.width = u8(w.width + 2 * grow.across);
  DrawWindowFrame(w, ui.sink);
  return w;
}

void DrawSaveControls(const ConfigWindow& w, insim::PacketSink& sink, std::string_view heading) {
  DrawCancel(w, sink);
  DrawSave(w, sink);
  DrawHeading(w, sink, style::kTitle, heading);
}

void MakeWorkingLive(Ui& ui) {
  const std::uint32_t active = ui.live.activeSirenMode;
  ui.live = ui.state.working;
  ui.live.activeSirenMode = active;
}

void SaveLive(Ui& ui) { ui.actions.SaveConfig(ui.live); }

void BackToMainMenu(Ui& ui) {
  ClearScreen(ui.sink);
  ShowMainMenu(ui);
}

}  // namespace bnx::ui
