#pragma once
#include <optional>
#include <string>

#include "platform/window.hpp"

namespace bnx::platform::fake {

// A foreground window whose title a test sets; starts as the simulator's.
class FakeForegroundWindow : public ForegroundWindow {
 public:
  bool Title(std::span<char> buffer) override;

  void SetTitle(std::string title) { title_ = std::move(title); }
  void SetNoWindow() { title_.reset(); }

 private:
  std::optional<std::string> title_ = std::string("Live for Speed");
};

}  // namespace bnx::platform::fake
