#pragma once
#include <string_view>

#include "input/binding.hpp"

namespace bnx::input {

// Both texts of a control function; empty for an id outside the table.
std::string_view FunctionConfigKey(ControlFunction function);
std::string_view FunctionDisplayName(ControlFunction function);

}  // namespace bnx::input
