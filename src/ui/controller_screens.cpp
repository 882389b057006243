// The controller options screens: every function with a summary of its
// bindings, the bindings of one function, and the edit-control screen that
// runs bind capture.
#include "ui/controller_screens.hpp"

#include <algorithm>
#include <array>

#include "input/bindings.hpp"
#include "input/functions.hpp"
#include "input/keys.hpp"
#include "ui/screens.hpp"

namespace bnx::ui {
namespace {

struct FunctionButton {
  std::uint8_t clickId;
  ControlFunction function;
};
// Left column, then right column, in drawing order.
constexpr std::array<FunctionButton, 14> kFunctions{{{20, fn::kLights},
                                                     {21, fn::kSiren},
                                                     {22, fn::kBullhorn},
                                                     {23, fn::kLeftIndicator},
                                                     {24, fn::kRightIndicator},
                                                     {25, fn::kHazards},
                                                     {26, fn::kExtra},
                                                     {27, fn::kHeadlightsCycle},
                                                     {28, fn::kSidelights},
                                                     {29, fn::kDippedBeam},
                                                     {30, fn::kFullBeam},
                                                     {31, fn::kFlash},
                                                     {32, fn::kFrontFog},
                                                     {33, fn::kRearFog}}};
constexpr std::size_t kPerColumn = 7;

constexpr std::uint8_t kSummaryFirstId = 41, kRowsFirstId = 40, kMoreRowsId = 60;
// The function bindings screen's two buttons above OK and Cancel.
constexpr std::uint8_t kClearAllId = click::kFirstItem, kAddNewId = click::kFirstItem + 1;
constexpr std::uint32_t kMaxPerFunction = 10;  // "Add New" and the row click-id ranges

std::string FunctionName(ControlFunction function) {
  const std::string_view name = input::FunctionDisplayName(function);
  return name.empty() ? "Unknown" : std::string(name);
}

std::string MoreLine(std::size_t hidden) { return "^8... " + std::to_string(hidden) + " more"; }

// How many summary lines each function of one column shows. Everything when
// the column fits above the Cancel and Save row; otherwise the largest equal
// cap that fits, the last shown line of a capped function saying how many
// more there are. A cap of 2 always fits (seven rows of 12), so every
// function keeps at least one real line, and the click ids stay far below 84.
std::vector<std::size_t> ColumnCaps(const std::vector<std::size_t>& counts, std::size_t room) {
  const auto height = [&](std::size_t cap) {
    std::size_t h = 0;
    for (std::size_t n : counts) h += std::max<std::size_t>(10, 4 * std::min(n, cap) + 4);
    return h;
  };
  std::size_t cap = *std::max_element(counts.begin(), counts.end());
  while (cap > 2 && height(cap) > room) --cap;
  std::vector<std::size_t> shown;
  for (std::size_t n : counts) shown.push_back(std::min(n, cap));
  return shown;
}

}  // namespace

void BuildBindingLines(const Binding& binding, std::vector<std::string>& lines) {
  for (std::uint32_t code : binding.keys)
    lines.push_back("^6Keyboard / Mouse^8 : ^7" + input::KeyLabel(code));
  for (std::uint32_t index : binding.buttons)
    lines.push_back("^6" + binding.deviceName + "^8 : ^7Button " + std::to_string(index));
  for (const PovInput& pov : binding.povs)
    lines.push_back("^6" + binding.deviceName + "^8 : ^7" + input::PovText(pov));
}

std::uint8_t DrawFunctionRow(const ConfigWindow& w, insim::PacketSink& sink, const FunctionRow& row,
                             std::uint8_t& nextLineId) {
  w.Send(sink, row.clickId, style::kFunction, row.nameLeft, row.top, 16, 6,
         FunctionName(row.function));
  const std::uint8_t lineWidth = u8((w.width - 6) / 2 - 17);
  std::uint8_t t = row.top;
  for (const std::string& line : row.lines) {
    w.Send(sink, nextLineId++, style::kLeftDark, row.linesLeft, t, lineWidth, 4, line);
    t = u8(t + 4);
  }
  return u8(row.top + std::max<std::size_t>(10, 4 * row.lines.size() + 4));
}

void ShowControllerOptions(Ui& ui) {
  const ConfigWindow w =
      OpenScreen(ui, screen::kControllerOptions, "Controller Options", {.across = 13, .down = 19});
  DrawSaveControls(w, ui.sink, "Current Controls");
  const std::uint8_t instructionTop = u8(w.top + 6 + 8);
  w.Send(ui.sink, click::kFirstLabel, style::kPlain, w.left, instructionTop, w.width, 6,
         "Click a function to modify bindings");

  std::array<std::vector<std::string>, fn::kCount> lines;
  for (const Binding& b : ui.state.workingBindings)
    if (b.function != fn::kNone && b.function < fn::kCount) BuildBindingLines(b, lines[b.function]);

  const std::uint8_t columnTop = u8(instructionTop + 6 + 4);
  const std::size_t room = std::size_t(u8(w.top + w.height - 7)) - columnTop;
  std::uint8_t nextLineId = kSummaryFirstId;
  for (std::size_t column = 0; column < 2; ++column) {
    std::vector<std::size_t> counts;
    for (std::size_t i = 0; i < kPerColumn; ++i)
      counts.push_back(lines[kFunctions[column * kPerColumn + i].function].size());
    const std::vector<std::size_t> caps = ColumnCaps(counts, room);
    FunctionRow row;
    row.top = columnTop;
    row.nameLeft = column == 0 ? u8(w.left + 3) : u8(w.left + w.width / 2 + 1);
    row.linesLeft = column == 0 ? u8(w.left + 19) : u8(row.nameLeft + 16);
    for (std::size_t i = 0; i < kPerColumn; ++i) {
      const FunctionButton& f = kFunctions[column * kPerColumn + i];
      const std::vector<std::string>& all = lines[f.function];
      row.clickId = f.clickId;
      row.function = f.function;
      row.lines.assign(all.begin(), all.begin() + std::ptrdiff_t(caps[i]));
      if (caps[i] < all.size()) row.lines.back() = MoreLine(all.size() - caps[i] + 1);
      row.top = DrawFunctionRow(w, ui.sink, row, nextLineId);
    }
  }
}

void ControllerOptionsClick(Ui& ui, std::uint8_t clickId) {
  if (clickId == click::kCancel) return BackToMainMenu(ui);
  if (clickId == click::kSave) {
    ui.live.bindings = input::MergeBindings(ui.state.workingBindings);
    SaveLive(ui);
    return BackToMainMenu(ui);
  }
  for (const FunctionButton& f : kFunctions) {
    if (f.clickId != clickId) continue;
    ui.state.functionEdits = input::SplitBindings(ui.state.workingBindings, f.function);
    ClearScreen(ui.sink);
    return ShowFunctionBindings(ui, f.function);
  }
}

void ShowFunctionBindings(Ui& ui, ControlFunction function) {
  UiState& s = ui.state;
  s.functionUnderEdit = function;
  s.capture.state = input::capture::kIdle;
  const std::string name = FunctionName(function);
  const ConfigWindow w = OpenScreen(ui, screen::kFunctionBindings, "Controller Options :: " + name);
  DrawCancel(w, ui.sink);
  DrawOk(w, ui.sink);
  const std::uint8_t smallTop = u8(w.top + w.height - 7 - 10);
  w.Send(ui.sink, kClearAllId, style::kLightButton, u8(w.left + w.width / 2 - 14), smallTop, 12, 6,
         "^1Clear All");
  const bool full = s.functionEdits.size() >= kMaxPerFunction;
  w.Send(ui.sink, kAddNewId, full ? style::kUnavailable : style::kLightButton,
         u8(w.left + w.width / 2 + 2), smallTop, 12, 6, full ? "Add New" : "^2Add New");
  DrawHeading(w, ui.sink, style::kText, "^7Change Controller Bindings for ^6" + name);
  const std::uint8_t half = u8((w.width - 3) / 2);
  const std::size_t rows = std::min<std::size_t>(s.functionEdits.size(), kMaxPerFunction);
  std::uint8_t t = u8(w.top + 6 + 8 + 2);
  for (std::size_t i = 0; i < rows; ++i, t = u8(t + 5)) {
    const Binding& b = s.functionEdits[i];
    w.Send(ui.sink, u8(kRowsFirstId + i), style::kRightDark, u8(w.left + w.width / 2 - 48), t, half,
           5, b.keys.empty() ? input::DeviceText(b) : "Keyboard / Mouse");
    w.Send(ui.sink, u8(kRowsFirstId + kMaxPerFunction + i), style::kRow, u8(w.left + w.width / 2),
           t, half, 5, input::InputText(b));
  }
  // A hand-edited file can hold more than ten: they are kept and shown once
  // earlier rows have been picked or cleared.
  if (s.functionEdits.size() > rows)
    w.Send(ui.sink, kMoreRowsId, style::kLeftDark, u8(w.left + w.width / 2), t, half, 5,
           MoreLine(s.functionEdits.size() - rows));
}

void FunctionBindingsClick(Ui& ui, std::uint8_t clickId) {
  UiState& s = ui.state;
  switch (clickId) {
    case click::kOk: {
      std::erase_if(s.workingBindings,
                    [&](const Binding& b) { return b.function == s.functionUnderEdit; });
      s.workingBindings.insert(s.workingBindings.end(), s.functionEdits.begin(),
                               s.functionEdits.end());
      ClearScreen(ui.sink);
      return ShowControllerOptions(ui);
    }
    case click::kCancel:
      ClearScreen(ui.sink);
      return ShowControllerOptions(ui);
    case kClearAllId: {
      const bool more = s.functionEdits.size() > kMaxPerFunction;
      s.functionEdits.clear();
      ui.sink.SendDeleteButtons(255, kRowsFirstId, u8(kRowsFirstId + 2 * kMaxPerFunction - 1));
      if (more) ui.sink.SendDeleteButtons(255, kMoreRowsId, kMoreRowsId);
      return;
    }
    case kAddNewId:
      if (s.functionEdits.size() >= kMaxPerFunction) return;  // drawn unclickable
      ClearScreen(ui.sink);
      return ShowEditControl(ui, true);
    default:
      break;
  }
  if (clickId < kRowsFirstId || clickId >= kRowsFirstId + 2 * kMaxPerFunction) return;
  std::size_t row = clickId - kRowsFirstId;
  if (row >= kMaxPerFunction) row -= kMaxPerFunction;
  if (row >= s.functionEdits.size()) return;  // a row Clear All has just removed
  s.editSlot = s.functionEdits[row];
  s.functionEdits.erase(s.functionEdits.begin() + std::ptrdiff_t(row));
  ClearScreen(ui.sink);
  ShowEditControl(ui, false);
}

void ShowEditControl(Ui& ui, bool isNew) {
  UiState& s = ui.state;
  if (isNew) s.editSlot = Binding{};
  const std::string name = FunctionName(s.functionUnderEdit);
  const ConfigWindow w = OpenScreen(ui, screen::kEditControl, "Controller Options :: Edit " + name);
  s.capture.window = {w.top, w.left, w.height, w.width};
  s.capture.function = s.functionUnderEdit;
  DrawCancel(w, ui.sink);
  DrawHeading(w, ui.sink, style::kText, "^7Edit Control: ^6" + name);
  s.capture.state = input::capture::kStart;
}

void CancelEditControl(Ui& ui) {
  UiState& s = ui.state;
  if (s.editSlot.function != fn::kNone) s.functionEdits.push_back(s.editSlot);
  ClearScreen(ui.sink);
  ShowFunctionBindings(ui, s.functionUnderEdit);
}

void EditControlClick(Ui& ui, std::uint8_t clickId) {
  if (clickId == click::kCancel) CancelEditControl(ui);
}

void EditControlTick(Ui& ui, input::ControllerList& controllers, platform::Keyboard& keyboard) {
  UiState& s = ui.state;
  switch (input::BindCaptureTick(s.capture, controllers, keyboard, ui.sink)) {
    case input::CaptureEnd::kRunning:
      return;
    case input::CaptureEnd::kCancel:
      return CancelEditControl(ui);
    case input::CaptureEnd::kCaptured:
      s.editSlot = s.capture.pending;
      s.functionEdits.push_back(s.editSlot);
      break;
    case input::CaptureEnd::kRemove:
      break;
  }
  ClearScreen(ui.sink);
  ShowFunctionBindings(ui, s.functionUnderEdit);
}

}  // namespace bnx::ui
