#pragma once
// The controller options screen (5), the bindings of one function (6) and the
// edit-control screen (7) with its bind capture.
#include <cstdint>
#include <string>
#include <vector>

#include "input/binding.hpp"
#include "ui/frame.hpp"
#include "ui/ui.hpp"

namespace bnx::ui {

// One summary line per input: keys, then buttons, then hat directions.
void BuildBindingLines(const Binding& binding, std::vector<std::string>& lines);

struct FunctionRow {
  std::uint8_t top = 0, clickId = 0, nameLeft = 0, linesLeft = 0;
  ControlFunction function = fn::kNone;
  std::vector<std::string> lines;
};
// The function's name button and its summary lines, whose click ids run on
// from `nextLineId`. Returns the next row's top.
std::uint8_t DrawFunctionRow(const ConfigWindow& window, insim::PacketSink& sink,
                             const FunctionRow& row, std::uint8_t& nextLineId);

void ShowControllerOptions(Ui& ui);
void ControllerOptionsClick(Ui& ui, std::uint8_t clickId);
void ShowFunctionBindings(Ui& ui, ControlFunction function);
void FunctionBindingsClick(Ui& ui, std::uint8_t clickId);
// `isNew`: adding an input rather than replacing the one in the edit slot.
void ShowEditControl(Ui& ui, bool isNew);
// The edit slot's binding (if any) back at the end of the list; the bindings screen again.
void CancelEditControl(Ui& ui);
void EditControlClick(Ui& ui, std::uint8_t clickId);

}  // namespace bnx::ui
