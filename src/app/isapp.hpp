#pragma once
// The application object of one connection: the link, the engine, the
// controllers and the configuration copies, worked on by a receive thread and
// a 10 ms tick thread.
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
#include "ui/outbox.hpp"
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
  // Ends both threads from outside them, as a failure inside either would.
  void StopAndShutdown() {
    Stop();
    link_.Shutdown();
  }
  // Asks the tick thread to switch off what the program switched on, remove
  // its buttons and close the connection; both threads then end. From any thread.
  void RequestLeave() { leave_.store(true); }
  void Tick(Nanos now);
  void DispatchPacket(insim::Bytes packet);
  // The "/o bnx" chat commands of one IS_MSO; runs on the receive thread.
  void MessageOut(insim::Bytes mso);

  // Only once both threads have ended.
  Handover HandOver() const;
  bool stopped() const { return stop_.load() != 0; }
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
  // Prints why the connection ended (or a handler failed) and stops both threads.
  void ReportAndStop(std::exception_ptr error, const char* where);
  void Stop();
  void Leave();
  void ReapplyHeadlights();
  // Runs a screen operation (a click, a chat command) on the receive thread:
  // under the state lock, with its sends held in the outbox; the sends, the
  // file write and the controller refresh follow once the lock is released.
  template <class F>
  void WithUi(F&& operation) {
    ui::Outbox sends;
    {
      std::lock_guard lock(state_);
      operation(uiContext_);
      sends.Swap(uiOutbox_);
      if (!sends.empty()) uiSendsPending_.store(true);
    }
    FinishUi(sends);
  }
  void FinishUi(ui::Outbox& sends);

  // ui::Actions, called with the state lock held.
  void SaveConfig(const Config& snapshot) override { pendingSave_ = snapshot; }
  void ApplyModeCategory() override;
  void DrawHud() override { engine::Hud(uiOutbox_, active_).DrawHud(); }
  void ApplyRunningLights() override;
  void RefreshControllers() override { refreshPending_ = true; }

  // commands::ChatActions
  void OpenMainMenuFromChat() override;
  void SetLightsMode(std::uint32_t mode) override;
  std::size_t RescanControllers() override;
  void ClearButtons() override;
  commands::Status ReadStatus() override;

  std::mutex state_;
  std::atomic<std::uint8_t> stop_{0};
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
  ui::Outbox uiOutbox_;
  ui::Ui uiContext_{ui_, active_, uiOutbox_, *this};
  // Bind capture's view of the screens: it sends from the tick, under the
  // state lock, so a click's screen can never be drawn between its prompts.
  ui::Ui tickUi_{ui_, active_, link_, *this};
  // Set, under the state lock, while a click's sends wait in the outbox:
  // capture holds back until they are out, or the edit screen's deletion
  // would arrive after the prompts and remove them.
  std::atomic<bool> uiSendsPending_{false};
  // Work a click leaves for after the state lock (receive thread only).
  std::optional<Config> pendingSave_;
  bool refreshPending_ = false;
  std::uint8_t localUcid_ = engine::kUnknownUcid;
  std::atomic<std::uint32_t> controlWord_{0};
  std::string localNickname_;
  engine::CategoryContext category_;
};

}  // namespace bnx
