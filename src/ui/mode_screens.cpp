#include <string>
#include <string_view>

#include "engine/mode_tables.hpp"
#include "ui/frame.hpp"
#include "ui/screens.hpp"

namespace bnx::ui {
namespace {

constexpr std::uint32_t kSirenRows = 5, kCategoryRows = 4, kLightsRows = 4;
constexpr std::uint8_t kFirstCategoryItem = kSirenRows;  // items 5 to 8
constexpr std::string_view kSubHeading = "^7Click a Mode name to show more details";
// The two options on the lights screen, as items after the four mode rows.
constexpr std::uint8_t kHazardsItem = 4, kExtraItem = 5;

// The heading and sub-heading every selection screen starts with; returns the first row's top.
std::uint8_t DrawSelectionTop(const ConfigWindow& w, Ui& ui, std::string_view heading) {
  DrawSaveControls(w, ui.sink, heading);
  const std::uint8_t subTop = u8(w.top + 6 + 8);
  w.Send(ui.sink, click::kSubHeading, style::kTitle, w.left, subTop, w.width, 5, kSubHeading);
  return u8(subTop + 5 + 2);
}

void DrawModeRow(const ConfigWindow& w, insim::PacketSink& sink, std::uint8_t& rowTop,
                 std::uint8_t k, bool chosen, bool shown, std::string_view name) {
  w.Send(sink, u8(click::kFirstItem + k), style::kCheck, u8(w.left + 2), rowTop, 6, 8,
         CheckText(chosen));
  std::string text = shown ? "^3" : "";
  text += name;
  w.Send(sink, u8(click::kFirstLabel + k), style::kRow, u8(w.left + 2 + 6), u8(rowTop + 2),
         u8(w.width / 2 - 9), 5, text);
  rowTop = u8(rowTop + 8);
}

// Blank description lines keep their height but take no click id.
void DrawDetailsPanel(const ConfigWindow& w, insim::PacketSink& sink, std::uint8_t panelTop,
                      const engine::ModeEntry* entry) {
  const std::uint8_t l = u8(w.left + w.width / 2), width = u8(w.width / 2 - 3);
  w.Send(sink, click::kDetails, style::kDark, l, panelTop, width,
         u8(w.top + w.height - 10 - panelTop), "");
  if (entry == nullptr) return;
  std::uint8_t id = click::kDetails + 1, t = panelTop;
  for (const std::string& line : entry->lines) {
    if (!line.empty()) w.Send(sink, id++, style::kLeftDark, l, t, width, 4, "^7" + line);
    t = u8(t + 4);
  }
}

}  // namespace

void ShowSirenModeScreen(Ui& ui) {
  const UiState& s = ui.state;
  const ConfigWindow w = OpenScreen(ui, screen::kSirenMode, "Select Siren Mode");
  const std::uint8_t firstRow = DrawSelectionTop(w, ui, "Select Siren Mode");
  std::uint8_t t = firstRow;
  for (std::uint32_t m = 0; m < kSirenRows; ++m)
    DrawModeRow(w, ui.sink, t, u8(m), m == s.working.sirenBehaviour, m == s.shownSirenMode,
                engine::EntryName(engine::SirenModeTable(), m));
  t = u8(t + 3);
  for (std::uint32_t c = 0; c < kCategoryRows; ++c)
    DrawModeRow(w, ui.sink, t, u8(kFirstCategoryItem + c), c == s.working.modeCategory,
                c == s.shownCategory, engine::EntryName(engine::CategoryTable(), c));
  DrawDetailsPanel(w, ui.sink, u8(firstRow + 2),
                   s.shownSirenMode == kCategoryShown
                       ? engine::FindEntry(engine::CategoryTable(), s.shownCategory)
                       : engine::FindEntry(engine::SirenModeTable(), s.shownSirenMode));
}

void SirenModeClick(Ui& ui, std::uint8_t clickId) {
  UiState& s = ui.state;
  const int id = clickId;
  if (id >= click::kFirstItem && id < click::kFirstItem + int(kSirenRows)) {
    s.working.sirenBehaviour = s.shownSirenMode = std::uint32_t(id - click::kFirstItem);
    s.shownCategory = kNoCategory;
  } else if (id >= click::kFirstItem + kFirstCategoryItem &&
             id < click::kFirstItem + kFirstCategoryItem + int(kCategoryRows)) {
    s.working.modeCategory = s.shownCategory =
        std::uint32_t(id - click::kFirstItem - kFirstCategoryItem);
    s.shownSirenMode = kCategoryShown;
  } else if (id >= click::kFirstLabel && id < click::kFirstLabel + int(kSirenRows)) {
    s.shownSirenMode = std::uint32_t(id - click::kFirstLabel);
    s.shownCategory = kNoCategory;
  } else if (id >= click::kFirstLabel + kFirstCategoryItem &&
             id < click::kFirstLabel + kFirstCategoryItem + int(kCategoryRows)) {
    s.shownSirenMode = kCategoryShown;
    s.shownCategory = std::uint32_t(id - click::kFirstLabel - kFirstCategoryItem);
  } else {
    if (clickId == click::kCancel) BackToMainMenu(ui);
    if (clickId == click::kSave) {
      MakeWorkingLive(ui);
      ui.actions.ApplyModeCategory();
      SaveLive(ui);
      BackToMainMenu(ui);
    }
    return;
  }
  ClearScreen(ui.sink);
  ShowSirenModeScreen(ui);
}

void ShowLightsModeScreen(Ui& ui) {
  const UiState& s = ui.state;
  const ConfigWindow w = OpenScreen(ui, screen::kLightsMode, "Select Lights Mode");
  const std::uint8_t firstRow = DrawSelectionTop(w, ui, "Select Flashing Lights Mode");
  std::uint8_t t = firstRow;
  for (std::uint32_t m = 0; m < kLightsRows; ++m)
    DrawModeRow(w, ui.sink, t, u8(m), m == s.working.lightsMode, m == s.shownLightsMode,
                engine::EntryName(engine::LightsModeTable(), m));
  t = u8(t + 4);
  const std::uint8_t boxLeft = u8(w.left + 2), labelWidth = u8(w.width / 2 - 9);
  DrawCheckOption(w, ui.sink, {t, boxLeft, 6, 8, 5, labelWidth},
                  s.working.option(opt::kHazardsWithLights), "Use Hazards with Flashing Lights",
                  kHazardsItem);
  DrawCheckOption(w, ui.sink, {u8(t + 8), boxLeft, 6, 8, 5, labelWidth},
                  s.working.option(opt::kExtraInLights), "Include Extra in Flashing Lights",
                  kExtraItem);
  DrawDetailsPanel(w, ui.sink, u8(firstRow + 2),
                   engine::FindEntry(engine::LightsModeTable(), s.shownLightsMode));
}

void LightsModeClick(Ui& ui, std::uint8_t clickId) {
  UiState& s = ui.state;
  const int id = clickId;
  auto toggle = [&](int option) {
    bool& on = s.working.options[std::size_t(option)];
    on = !on;
    ShowLightsModeScreen(ui);  // the same click ids replace the old buttons
  };
  if (id >= click::kFirstItem && id < click::kFirstItem + int(kLightsRows)) {
    s.working.lightsMode = s.shownLightsMode = std::uint32_t(id - click::kFirstItem);
  } else if (id >= click::kFirstLabel && id < click::kFirstLabel + int(kLightsRows)) {
    s.shownLightsMode = std::uint32_t(id - click::kFirstLabel);
  } else {
    if (id == click::kFirstItem + kHazardsItem) toggle(opt::kHazardsWithLights);
    if (id == click::kFirstItem + kExtraItem) toggle(opt::kExtraInLights);
    if (clickId == click::kCancel) BackToMainMenu(ui);
    if (clickId == click::kSave) {
      MakeWorkingLive(ui);
      SaveLive(ui);
      BackToMainMenu(ui);
    }
    return;
  }
  ClearScreen(ui.sink);
  ShowLightsModeScreen(ui);
}

}  // namespace bnx::ui
