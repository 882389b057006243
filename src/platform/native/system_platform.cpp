#include "platform/fake/fake_platform.hpp"
#include "platform/native/process.hpp"

namespace bnx::platform {

// The native program: an idle machine with LFS in front; the update host
// answers with fake-update-answer.txt from the current folder, when there is one.
// Its signals and its folder lock are the system's own: ending it and starting
// a second copy are what its tests do.
Platform& SystemPlatform() {
  static fake::FakePlatform fakes;
  static native::SignalStopSignals stop_signals;
  static native::FolderFlock folder_lock;
  static Platform platform{fakes.keyboard, fakes.window, fakes.game_input, fakes.timer,
                           fakes.console,  fakes.shell,  fakes.https,      fakes.registry,
                           stop_signals,   folder_lock};
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
