#include "platform/fake/fake_platform.hpp"
#include "platform/posix/process.hpp"

namespace bnx::platform {

// The native program: an idle machine with LFS in front; the update host
// answers with fake-update-answer.txt from the current folder, when there is one.
// Its signals and its folder lock are real: ending it and starting a second
// copy are what its tests do.
Platform& SystemPlatform() {
  static fake::FakePlatform fakes;
  static posix::SignalStopSignals signals;
  static posix::FolderFlock folderLock;
  static Platform platform{fakes.keyboard, fakes.window, fakes.gameInput, fakes.timer, fakes.console,
                           fakes.shell,    fakes.https,  fakes.registry,  signals,     folderLock};
  static const bool named = [] {
    fakes.https.answerFile = "fake-update-answer.txt";
    // Built whole: MinGW's GCC 12 warns falsely (-Wrestrict) on assigning a
    // literal to a map element.
    const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
    fakes.registry.values = {{key + "ProductName", "Native build"}, {key + "CurrentBuild", "0"}};
    return true;
  }();
  (void)named;
  return platform;
}

}  // namespace bnx::platform
