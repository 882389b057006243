#include "app/startup.hpp"

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <ostream>
#include <thread>

#include "app/isapp.hpp"
#include "app/lfs_setup.hpp"
#include "app/stop_request.hpp"
#include "config/config.hpp"
#include "config/config_file.hpp"
#include "update/update_check.hpp"
#include "update/windows_info.hpp"

namespace bnx {

using namespace std::chrono_literals;
using platform::ToNanos;

std::optional<LfsSetup> StartUp(Config& config, platform::Platform& platform, std::ostream& out,
                                std::ostream& err) {
  const update::WindowsInfo windows = update::ReadWindowsInfo(platform.registry);
  out << update::DescribeWindows(windows) << std::endl;
  out << "\n   Beaconix v" << update::kProgramVersion
      << " - emergency lights & sirens for Live for Speed, by the Beaconix team (" << update::WebSite() << ")"
      << std::endl;

  // A second copy would drive every light twice.
  if (!platform.folder_lock.Take()) {
    out << "Beaconix is already running in this folder.\nPress Enter to close." << std::endl;
    platform.console.WaitEnter();
    return std::nullopt;
  }

  if (update::CheckForUpdates(windows, config, platform.https, out) == 1) {
    out << "Press any key to open update page..." << std::endl;
    platform.console.WaitAnyKey();
    platform.shell.Open(config.updatePage);
    return std::nullopt;
  }

  const bool loaded = config::LoadStartupConfig(config, out, err);
  const LfsSetup setup = ReadLFSConfig(config, out, err);

  platform.timer.BeginPeriod(10);
  const Nanos before = platform.timer.Now();
  platform.timer.SleepFor(ToNanos(10ms));
  const double took = double(platform.timer.Now() - before) / 1e6;
  if (took > 11.0) out << "Timer test: 10ms took " << took << "ms.\n";

  if (!loaded) {
    out << "Lights: PageDown\n"
        << "Sirens: PageUp ~ Tap to cycle, Double-tap to turn off.\n";
  }
  out << "Type \"/o bnx config\" ingame to view or customise controls & settings.\n"
      << "For full instructions, see the readme or the website.\n\n"
      << std::flush;
  return setup;
}

namespace {

// Gives the stop request an ISApp's leave while it lives.
class Attach {
 public:
  Attach(StopRequest& stop, ISApp& app) : stop_(stop) {
    stop_.SetLeave([&app] { app.Leave(); });
  }
  ~Attach() { stop_.SetLeave({}); }
  Attach(const Attach&) = delete;
  Attach& operator=(const Attach&) = delete;

 private:
  StopRequest& stop_;
};

// Runs one connected ISApp's two threads to their end; what it had live then
// becomes `settings`, so that nothing the player saved is lost with the connection.
void RunConnection(ISApp& app, Config& settings) {
  std::thread receive(&ISApp::ReceiveLoop, &app);
  std::thread tick;
  try {
    tick = std::thread(&ISApp::TickLoop, &app);
  } catch (...) {
    app.End();  // ended first, so the end of the link is not reported as LFS's
    receive.join();
    settings = app.Settings();
    throw;
  }
  tick.join();
  receive.join();
  settings = app.Settings();
}

}  // namespace

int NextAttempt(int attempts) { return attempts < 6 ? attempts + 1 : attempts; }

Nanos RetryDelay(int attempt) { return Nanos(attempt + 1) * ToNanos(1s); }

int RunBeaconix(platform::Platform& platform, std::ostream& out, std::ostream& err) {
  StopRequest stop(platform.stop_signals, out);
  Config config;
  const std::optional<LfsSetup> setup = StartUp(config, platform, out, err);
  if (!setup) return stop.requested() ? stop.Stopped() : 0;

  int attempts = 0;
  int unanswered = 0;  // connections in a row that LFS ended before it answered
  bool everConnected = false;
  const std::uint32_t shownPort = config.insimPort == 0 ? 29999 : config.insimPort;
  for (;;) {
    if (stop.requested()) return stop.Stopped();
    try {
      auto app = std::make_unique<ISApp>(config, platform, out, err);
      std::optional<Attach> attached(std::in_place, stop, *app);
      if (attempts == 0) out << "Connecting to LFS on port " << shownPort << "...\n" << std::flush;
      const int result = app->Connect();
      if (result == 0) {
        everConnected = true;
        attempts = 0;
        RunConnection(*app, config);
        if (stop.requested()) return stop.Stopped();
        // LFS ending every connection before it answers (a wrong admin
        // password, say) is tried again at once the first time, then at the
        // pace of refused attempts, not many times a second.
        unanswered = app->link().lfsInSimVer.load() == 0 ? std::min(unanswered + 1, 7) : 0;
        if (unanswered > 1 && !stop.SleepFor(RetryDelay(unanswered - 1))) return stop.Stopped();
        continue;
      }
      attached.reset();
      if (stop.requested()) return stop.Stopped();
      if (attempts == 0) {
        if (result == 2) out << "Connection refused" << (everConnected ? " (will continue trying)" : "") << "\n";
        // On a first start LFS has often not opened its port yet: say once
        // what to do, and keep trying as after a lost connection.
        if (!everConnected) out << WaitingForLfsText(*setup, shownPort);
        out << std::flush;
      }
      attempts = NextAttempt(attempts);
      app.reset();
      if (!stop.SleepFor(RetryDelay(attempts))) return stop.Stopped();
    } catch (const std::exception& e) {
      err << "outerloop: " << e.what() << std::endl;
      // Whatever failed may fail again at once: do not spin.
      if (!stop.SleepFor(ToNanos(1s))) return stop.Stopped();
    } catch (...) {
      if (!stop.SleepFor(ToNanos(1s))) return stop.Stopped();
    }
  }
}

}  // namespace bnx
