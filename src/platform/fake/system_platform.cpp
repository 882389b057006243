#include "platform/fake/fake_platform.hpp"

namespace bnx::platform {

// The native program: an idle machine with LFS in front; the update host
// answers with fake-update-answer.txt from the current folder, when there is one.
Platform& SystemPlatform() {
  static fake::FakePlatform fakes;
  static const bool named = [] {
    fakes.https.answerFile = "fake-update-answer.txt";
    fakes.registry.values["SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProductName"] = "Native build";
    fakes.registry.values["SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\CurrentBuild"] = "0";
    return true;
  }();
  (void)named;
  return fakes.platform;
}

}  // namespace bnx::platform
