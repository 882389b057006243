#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace bnx::platform {

class ForegroundWindow {
 public:
  virtual ~ForegroundWindow() = default;
  // Title of the foreground window read into a buffer of `buffer_chars`
  // characters (so at most buffer_chars - 1 are returned); nullopt when there
  // is no foreground window or its title cannot be read.
  virtual std::optional<std::string> Title(std::size_t buffer_chars) = 0;
};

}  // namespace bnx::platform
