#include "platform/fake/fake_platform.hpp"

namespace bnx::platform {

// The native program: an idle machine with LFS in front and no update host.
Platform& SystemPlatform() {
  static fake::FakePlatform fakes;
  static const bool named = [] {
    fakes.registry.values["SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProductName"] = "Native build";
    fakes.registry.values["SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\CurrentBuild"] = "0";
    return true;
  }();
  (void)named;
  return fakes.platform;
}

}  // namespace bnx::platform
