#include "update/windows_info.hpp"

#include "insim/console_text.hpp"

namespace bnx::update {

namespace {
constexpr const char* kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
}

WindowsInfo ReadWindowsInfo(platform::Registry& registry) {
  WindowsInfo info;
  info.build = registry.ReadString(kCurrentVersionKey, "CurrentBuild");
  info.productName = registry.ReadString(kCurrentVersionKey, "ProductName");
  info.is64Bit = sizeof(void*) == 8;
  return info;
}

std::string DescribeWindows(const WindowsInfo& info) {
  // The registry's texts are printed as the first console line.
  return insim::ConsoleText(info.productName + " " + info.build) + " " +
         (info.is64Bit ? "x64" : "x86");
}

}  // namespace bnx::update
