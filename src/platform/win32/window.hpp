#pragma once
#include "platform/window.hpp"

namespace bnx::platform::win32 {

class WinForegroundWindow : public ForegroundWindow {
 public:
  bool Title(std::span<char> buffer) override;
};

}  // namespace bnx::platform::win32
