#pragma once
#include <string>

#include "platform/system.hpp"

namespace bnx::update {

struct WindowsInfo {
  std::string build;
  std::string productName;
  bool is64Bit = true;
};

WindowsInfo ReadWindowsInfo(platform::Registry& registry);
std::string DescribeWindows(const WindowsInfo& info);

}  // namespace bnx::update
