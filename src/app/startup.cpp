#include "app/startup.hpp"

#include <exception>
#include <memory>
#include <optional>
#include <ostream>
#include <thread>
#include <utility>

#include "app/isapp.hpp"
#include "app/lfs_setup.hpp"
#include "app/retry.hpp"
#include "app/stop_request.hpp"
#include "config/config.hpp"
#include "config/config_file.hpp"
#include "update/update_check.hpp"
#include "update/windows_info.hpp"

namespace bnx {

using namespace std::chrono_literals;
using platform::ToNanos;

std::optional<LfsSetup> StartUp(Config& settings, Session& session, platform::Platform& platform,
                                std::ostream& out, std::ostream& err) {
  const update::WindowsInfo windows = update::ReadWindowsInfo(platform.registry);
  out << update::DescribeWindows(windows) << std::endl;
  out << "\n   Beaconix v" << update::kProgramVersion
      << " - emergency lights & sirens for Live for Speed, by the Beaconix team ("
      << update::WebSite() << ")" << std::endl;

  // A second copy would drive every light twice.
  if (!platform.folder_lock.Take()) {
    out << "Beaconix is already running in this folder.\nPress Enter to close." << std::endl;
    platform.console.WaitEnter();
    return std::nullopt;
  }

  if (update::CheckForUpdates(windows, session.update, platform.https, out) == 1) {
    out << "Press any key to open update page..." << std::endl;
    platform.console.WaitAnyKey();
    platform.shell.Open(session.update.page);
    return std::nullopt;
  }

  session.file = config::LoadStartupConfig(settings, out, err);
  const LfsSetup setup = ReadLFSConfig(session, out, err);

  platform.timer.BeginPeriod(10);
  const Nanos before = platform.timer.Now();
  platform.timer.SleepFor(ToNanos(10ms));
  const double took = double(platform.timer.Now() - before) / 1e6;
  if (took > 11.0) out << "Timer test: 10ms took " << took << "ms.\n";

  if (!session.file.loaded()) {
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

// Connects and reconnects, one ISApp at a time, until the player asks to stop;
// each connection starts from what the one before left.
class OuterLoop {
 public:
  OuterLoop(const Config& settings, const Session& session, LfsSetup setup, StopRequest& stop,
            platform::Platform& platform, std::ostream& out, std::ostream& err)
      : settings_(settings),
        session_(session),
        setup_(setup),
        port_(session.insimPort == 0 ? 29999 : session.insimPort),
        stop_(stop),
        platform_(platform),
        out_(out),
        err_(err) {}

  void Run() {
    while (!stop_.requested()) {
      const Attempt attempt = TryOnce();
      if (stop_.requested()) return;
      const Retry next = policy_.After(attempt);
      if (!next.said.empty() || next.explain) {
        out_ << next.said;
        if (next.explain) out_ << WaitingForLfsText(setup_, port_);
        out_ << std::flush;
      }
      if (next.wait > 0 && !stop_.SleepFor(next.wait)) return;
    }
  }

 private:
  Attempt TryOnce() {
    try {
      auto app = std::make_unique<ISApp>(settings_, session_, platform_, out_, err_);
      const Attach attached(stop_, *app);
      if (policy_.announce())
        out_ << "Connecting to LFS on port " << port_ << "...\n" << std::flush;
      switch (app->Connect()) {
        case insim::ConnectResult::kConnected:
          policy_.Connected();
          return RunConnection(*app);
        case insim::ConnectResult::kRefused:
          return Attempt::kRefused;
        case insim::ConnectResult::kFailed:
          return Attempt::kFailed;
      }
    } catch (const std::exception& e) {
      err_ << "outerloop: " << e.what() << std::endl;
    } catch (...) {
    }
    return Attempt::kError;
  }

  // Runs one connected ISApp's two threads to their end; what it had live
  // then is what the next connection starts from, even when a thread could
  // not start, so that nothing the player saved is lost with the connection.
  Attempt RunConnection(ISApp& app) {
    auto takeOver = [&] {
      Handover left = app.HandOver();
      settings_ = std::move(left.settings);
      session_ = std::move(left.session);
      return left.answered ? Attempt::kAnswered : Attempt::kUnanswered;
    };
    std::thread receive(&ISApp::ReceiveLoop, &app);
    std::thread tick;
    try {
      tick = std::thread(&ISApp::TickLoop, &app);
    } catch (...) {
      app.End();  // ended first, so the end of the link is not reported as LFS's
      receive.join();
      takeOver();
      throw;
    }
    tick.join();
    receive.join();
    return takeOver();
  }

  Config settings_;
  Session session_;
  const LfsSetup setup_;
  const std::uint32_t port_;
  RetryPolicy policy_;
  StopRequest& stop_;
  platform::Platform& platform_;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace

Ending RunBeaconix(platform::Platform& platform, std::ostream& out, std::ostream& err) {
  StopRequest stop(platform.stop_signals, out);
  Config settings;
  Session session;
  const std::optional<LfsSetup> setup = StartUp(settings, session, platform, out, err);
  if (!setup && !stop.requested()) return Ending::kDeclined;
  if (setup) OuterLoop(settings, session, *setup, stop, platform, out, err).Run();
  stop.Stopped();
  return Ending::kStopped;
}

}  // namespace bnx
