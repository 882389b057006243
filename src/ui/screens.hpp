#pragma once
// Each screen: a Show function that draws it (and sets `UI screen`) and a
// Click function for the clicks whose ReqI names it. A new screen adds its
// pair here and one case to the routing in ui.cpp.
#include <cstdint>

#include "ui/ui.hpp"

namespace bnx::ui {

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
