#include "update/windows_info.hpp"

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
  return info.productName + " " + info.build + " " + (info.is64Bit ? "x64" : "x86");
}

}  // namespace bnx::update
