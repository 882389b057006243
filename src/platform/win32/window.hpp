#pragma once
#include "platform/window.hpp"

namespace bnx::platform::win32 {

class WinForegroundWindow : public ForegroundWindow {
 public:
  std::optional<std::string> Title(std::size_t buffer_chars) override;
};

}  // namespace bnx::platform::win32
