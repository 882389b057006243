#pragma once
// Each screen: a Show function that draws it (and sets `UI screen`) and a
// Click function for the clicks whose ReqI names it. A new screen adds its
// pair here and one case to the routing in ui.cpp.
#include <cstdint>
#include <string_view>

#include "ui/frame.hpp"
#include "ui/ui.hpp"

namespace bnx::ui {

// How far a screen's window reaches beyond the standard one on each side.
struct Grow {
  std::uint8_t across = 0, down = 0;
};
// What every Show starts with: `UI screen` set, and the screen's window drawn,
// its ReqI the screen number and its title "Beaconix :: Config :: " + title.
ConfigWindow OpenScreen(Ui& ui, std::uint8_t screen, std::string_view title, Grow grow = {});
// Cancel, Save and the heading: the top of each screen that saves.
void DrawSaveControls(const ConfigWindow& window, insim::PacketSink& sink,
                      std::string_view heading);

// menu.cpp
void ShowMainMenu(Ui& ui);
void MainMenuClick(Ui& ui, std::uint8_t clickId);
void ShowMiscOptions(Ui& ui);
void MiscOptionsClick(Ui& ui, std::uint8_t clickId);

// mode_screens.cpp
void ShowSirenModeScreen(Ui& ui);
void SirenModeClick(Ui& ui, std::uint8_t clickId);
void ShowLightsModeScreen(Ui& ui);
void LightsModeClick(Ui& ui, std::uint8_t clickId);

// ui.cpp
// Save: the working copy becomes live and Beaconix.cfg is written from it.
// The active siren mode stays as it is live: the category rules may have
// changed it while the screen was open, and the player did not edit it.
void MakeWorkingLive(Ui& ui);
void SaveLive(Ui& ui);
// Cancel: back to the main menu; the working data is dropped with the screen.
void BackToMainMenu(Ui& ui);

}  // namespace bnx::ui
