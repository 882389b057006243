#pragma once
// The application object of one connection: the link, the engine, the
// controllers and the configuration copies, worked on by a receive thread and
// a 10 ms tick thread. Both send through the link's one queue, whose writer
// thread the link owns.
#include <array>
#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>

#include "app/session.hpp"
#include "commands/chat_commands.hpp"
#include "config/config.hpp"
#include "engine/category.hpp"
#include "engine/engine.hpp"
#include "engine/hud.hpp"
#include "input/bindings.hpp"
#include "input/controllers.hpp"
#include "insim/link.hpp"
#include "insim/packets.hpp"
#include "platform/platform.hpp"
#include "ui/ui.hpp"

namespace bnx {

using Nanos = platform::Nanos;

// What a connection leaves to the next.
struct Handover {
  Config settings;        // live: what the player saved or tried
  Session session;        // with the InSim version to open with, and a Save's mark
  bool answered = false;  // LFS answered with its version before the end
};

class ISApp : private ui::Actions, private commands::ChatActions {
 public:
  ISApp(const Config& settings, const Session& session, platform::Platform& platform,
        std::ostream& out, std::ostream& err);
  ~ISApp() override;
  ISApp(const ISApp&) = delete;
  ISApp& operator=(const ISApp&) = delete;

  insim::ConnectResult Connect() { return link_.Connect(); }
  void ReceiveLoop();
  void TickLoop();
  // Ends the connection from outside its threads, quietly.
  void End() {
    ended_.store(true);
    link_.Close();
  }
  // The player's stop: the tick thread switches off what the program switched
  // on, removes its buttons and asks LFS to close; the threads then end. From
  // any thread.
  void Leave() { leave_.store(true); }
  void Tick(Nanos now);
  void DispatchPacket(insim::Bytes packet);
  // The "/o bnx" chat commands of one IS_MSO; runs on the receive thread.
  void MessageOut(insim::Bytes mso);

  // Only once both threads have ended.
  Handover HandOver() const;
  bool ended() const { return ended_.load(); }
  insim::InSimLink& link() { return link_; }
  std::uint32_t controlWord() const { return controlWord_.load(); }
  std::uint8_t uiScreen() {
    std::lock_guard lock(state_);
    return ui_.screen;
  }
  std::uint8_t localUcid() {
    std::lock_guard lock(state_);
    return localUcid_;
  }
  const Config& activeConfig() const { return active_; }

 private:
  void HandleVersion(const insim::Ver& ver);
  void BeginInSim();
  void ShowNewVersionNotice();
  void TickLocked(Nanos now);  // the state lock held
  // Ends the connection from inside: says why, once (the end the program
  // made itself is not said again), and both threads end.
  void EndFor(std::exception_ptr reason, const char* where);
  // The tick thread's part of Leave.
  void LeaveNow();
  void ReapplyHeadlights();
  // Runs a screen operation (a click, a chat command) on the receive thread,
  // under the state lock. A Save it makes is written once the lock is
  // released, and its packets are held in the queue until then.
  template <class F>
  void WithUi(F&& operation) {
    {
      std::lock_guard lock(state_);
      link_.Hold();
      try {
        operation(uiContext_);
      } catch (...) {
        link_.Release();
        throw;
      }
      if (!pendingSave_) link_.Release();
    }
    FinishUi();
  }
  void FinishUi();

  // ui::Actions, called with the state lock held.
  void SaveConfig(const Config& snapshot) override { pendingSave_ = snapshot; }
  void ApplyModeCategory() override { engine::ApplyModeCategory(category_, active_.modeCategory); }
  void DrawHud() override { hud_.DrawHud(); }
  void ApplyRunningLights() override;
  void RefreshControllers() override { refreshPending_ = true; }

  // commands::ChatActions
  void OpenMainMenuFromChat() override;
  void SetLightsMode(std::uint32_t mode) override;
  std::size_t RescanControllers() override;
  void ClearButtons() override;
  commands::Status ReadStatus() override;

  std::mutex state_;
  std::atomic<bool> ended_{false};
  std::atomic<bool> receiving_{false};
  std::atomic<bool> leave_{false};
  platform::Platform& platform_;
  std::ostream& out_;
  std::ostream& err_;
  insim::InSimLink link_;
  input::ControllerList controllers_;
  std::atomic<bool> insimV9Mode_{false};
  insim::Sta sta_;
  Config active_;
  Session session_;  // its file state under the state lock
  engine::Hud hud_;
  engine::Engine engine_;
  std::uint8_t pingReqI_ = 1;
  ui::UiState ui_;
  ui::Ui uiContext_{ui_, active_, link_, *this};
  // Work a click leaves for after the state lock (receive thread only).
  std::optional<Config> pendingSave_;
  bool refreshPending_ = false;
  std::uint8_t localUcid_ = engine::kUnknownUcid;
  std::atomic<std::uint32_t> controlWord_{0};
  std::string localNickname_;
  engine::CategoryContext category_;
};

}  // namespace bnx
