#include <array>
#include <string_view>

#include "engine/hud.hpp"
#include "input/bindings.hpp"
#include "ui/controller_screens.hpp"
#include "ui/frame.hpp"
#include "ui/screens.hpp"

namespace bnx::ui {
namespace {

constexpr std::array<std::string_view, 4> kEntries{"Select Siren Mode", "Select Lights Mode",
                                                   "Configure Controls", "Other Options"};
namespace entry {
constexpr std::uint8_t kSiren = 20, kLights = 21, kControls = 22, kOther = 23, kRefresh = 24;
}
constexpr std::string_view kRefreshing =
    "^1[RZ]^7 Lights^9: Refreshing Controllers (may take a few seconds)";

// In option order; the first five fill the left column.
constexpr std::array<std::string_view, opt::kCount> kOptionLabels{
    "Use Hazards with Flashing Lights",
    "Flash faster for Yelp siren",
    "Turn on lights with siren",
    "Flash Headlights with Horn",
    "Bullhorn interrupts siren",
    "Ignore controls when in text entry dialogs",
    "Allow input when LFS window is inactive",
    "Show HUD",
    "Running Lights",
    "Include Extra in Flashing Lights",
};
constexpr int kRows = 5;

}  // namespace

void ShowMainMenu(Ui& ui) {
  const ConfigWindow w = OpenScreen(ui, screen::kMainMenu, "Main Menu");
  std::uint8_t t = u8(w.top + w.height / 4);
  for (std::size_t i = 0; i < kEntries.size(); ++i, t = u8(t + 11 + 6))
    w.Send(ui.sink, u8(entry::kSiren + int(i)), style::kMenuEntry, u8(w.left + w.width / 2 - 18), t,
           36, 11, kEntries[i]);
  w.Send(ui.sink, entry::kRefresh, style::kRefresh, u8(w.left + w.width - 26),
         u8(w.top + w.height - 8), 24, 6, "Refresh Controllers");
}

void MainMenuClick(Ui& ui, std::uint8_t clickId) {
  switch (clickId) {
    case entry::kSiren:
      ClearScreen(ui.sink);
      ui.state.working = ui.live;
      ui.state.shownSirenMode = ui.state.working.activeSirenMode;
      ui.state.shownCategory = kNoCategory;
      ShowSirenModeScreen(ui);
      break;
    case entry::kLights:
      ClearScreen(ui.sink);
      ui.state.working = ui.live;
      ui.state.shownLightsMode = ui.state.working.lightsMode;
      ShowLightsModeScreen(ui);
      break;
    case entry::kControls:
      ui.state.workingBindings = input::SplitBindings(ui.live.bindings, fn::kNone);
      ClearScreen(ui.sink);
      ShowControllerOptions(ui);
      break;
    case entry::kOther:
      ClearScreen(ui.sink);
      ui.state.working = ui.live;
      ShowMiscOptions(ui);
      break;
    case entry::kRefresh:
      ui.sink.SendLocalMessage(kRefreshing, 1);
      ui.actions.RefreshControllers();
      break;
    default:
      break;
  }
}

void ShowMiscOptions(Ui& ui) {
  const ConfigWindow w = OpenScreen(ui, screen::kMiscOptions, "Misc Options");
  DrawSaveControls(w, ui.sink, "Miscellaneous Options");
  const std::uint8_t firstRow = u8(w.top + 6 + 8);
  const std::uint8_t labelWidth = u8(u8(w.width - 13) / 2);
  for (int i = 0; i < opt::kCount; ++i) {
    const bool right = i >= kRows;
    const CheckOption at{u8(firstRow + 11 * (right ? i - kRows : i)),
                         right ? u8(w.left + w.width / 2) : u8(w.left + 1),
                         7,
                         10,
                         5,
                         labelWidth};
    DrawCheckOption(w, ui.sink, at, ui.state.working.option(i), kOptionLabels[std::size_t(i)],
                    u8(i));
  }
}

void MiscOptionsClick(Ui& ui, std::uint8_t clickId) {
  if (clickId >= click::kFirstItem && clickId < click::kFirstItem + opt::kCount) {
    bool& option = ui.state.working.options[clickId - click::kFirstItem];
    option = !option;
    ShowMiscOptions(ui);
  } else if (clickId == click::kCancel) {
    BackToMainMenu(ui);
  } else if (clickId == click::kSave) {
    ClearScreen(ui.sink);
    MakeWorkingLive(ui);
    SaveLive(ui);
    ShowMainMenu(ui);
    if (ui.live.option(opt::kShowHud))
      ui.actions.DrawHud();
    else
      ui.sink.SendDeleteButtons(255, engine::hud::kFirst, engine::hud::kLast);
    ui.actions.ApplyRunningLights();
  }
}

}  // namespace bnx::ui
