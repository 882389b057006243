#include "app/isapp.hpp"

#include <chrono>
#include <exception>
#include <ostream>
#include <system_error>
#include <typeinfo>
#include <utility>

#include "config/config_file.hpp"
#include "insim/version.hpp"
#include "ui/screens.hpp"
#include "update/update_check.hpp"

namespace bnx {

using namespace std::chrono_literals;
using platform::ToNanos;

namespace {
constexpr Nanos kTickPeriod = ToNanos(10ms);
constexpr Nanos kPingTimeout = ToNanos(5s);
constexpr Nanos kMaxTickLag = ToNanos(100ms);
}  // namespace

ISApp::ISApp(const Config& settings, const Session& session, platform::Platform& platform,
             std::ostream& out, std::ostream& err)
    : platform_(platform),
      out_(out),
      err_(err),
      link_(platform.timer, out, err),
      controllers_(platform.game_input),
      active_(settings),
      session_(session),
      hud_(link_, active_),
      engine_(active_, hud_),
      category_{active_, localNickname_, localUcid_, link_, [this] { ReapplyHeadlights(); }} {
  controllers_.Create(out);
  link_.SetPort(session_.insimPort);
  link_.SetAdmin(session_.adminPassword);
  link_.SetIName("Beaconix");
  insimV9Mode_ = session_.insimV9;
  link_.SetSizeUnit(session_.insimV9);
  link_.OnFailure([this](std::exception_ptr reason) { EndFor(reason, ""); });
}

ISApp::~ISApp() = default;

void ISApp::ReapplyHeadlights() {
  if (const std::uint32_t lights = engine_.ReapplyHeadlights()) {
    link_.SendSmall(insim::small::kLcl, lights);
  }
}

Handover ISApp::HandOver() const {
  Handover next{active_, session_, link_.lfsInSimVer.load() != 0};
  next.session.insimV9 = insimV9Mode_.load();
  return next;
}

void ISApp::FinishUi() {
  if (pendingSave_) {
    struct Release {
      insim::InSimLink& link;
      ~Release() { link.Release(); }
    } release{link_};
    const Config snapshot = std::move(*pendingSave_);
    pendingSave_.reset();
    if (config::SaveConfig(snapshot, snapshot.fileName, err_) == config::SaveResult::kWritten) {
      std::lock_guard lock(state_);
      session_.file.state = FileState::kSaved;
    }
  }
  if (std::exchange(refreshPending_, false)) RescanControllers();
}

void ISApp::ApplyRunningLights() {
  if (const std::uint32_t lights = engine_.ApplyRunningLights()) {
    link_.SendSmall(insim::small::kLcl, lights);
  }
}

void ISApp::EndFor(std::exception_ptr reason, const char* where) {
  const bool endedBefore = ended_.exchange(true);
  try {
    std::rethrow_exception(reason);
  } catch (const std::system_error& e) {
    if (endedBefore) return;  // the end of the link that followed; said already
    const auto ec = e.code();
    if (ec == asio::error::eof) {
      out_ << "LFS Connection Closed.";
      if (link_.lfsInSimVer.load() == 0) out_ << " Please check LFS for error messages.";
      out_ << "\n" << std::flush;
    } else if (ec == asio::error::connection_refused) {
      out_ << "Connection refused.\n" << std::flush;
    } else if (ec == asio::error::connection_aborted) {
      out_ << "Connection aborted by this machine.\n" << std::flush;
    } else if (ec == asio::error::connection_reset || ec == asio::error::broken_pipe) {
      // A send after LFS has gone: Windows says reset, Linux sometimes broken pipe.
      out_ << "Connection forcibly closed by LFS.\n" << std::flush;
    } else {
      err_ << insim::DescribeSystemError(ec) << "\n" << std::flush;
    }
  } catch (const std::exception& e) {
    out_ << where << e.what() << std::endl;
  } catch (...) {
    out_ << where << "Unknown exception\n" << std::endl;
  }
}

void ISApp::ReceiveLoop() {
  receiving_.store(true);
  try {
    while (link_.RecvPacket()) {
      const insim::Bytes p = link_.Packet();
      switch (insim::PacketType(p)) {
        case insim::type::kTiny: {
          const insim::Tiny tiny = insim::DecodeTiny(p);
          if (tiny.subt == insim::tiny::kReply && tiny.reqi == pingReqI_)
            link_.PingAnswered(pingReqI_);
          break;
        }
        case insim::type::kSmall:
          break;
        default:
          DispatchPacket(p);
      }
    }
    ended_.store(true);
  } catch (...) {
    EndFor(std::current_exception(), "");
  }
  // The tick thread may be the only one left: make sure it ends too.
  ended_.store(true);
  receiving_.store(false);
}

void ISApp::DispatchPacket(insim::Bytes p) {
  switch (insim::PacketType(p)) {
    case insim::type::kVer:
      HandleVersion(insim::DecodeVer(p));
      break;
    case insim::type::kSta: {
      const insim::Sta sta = insim::DecodeSta(p);
      std::lock_guard lock(state_);
      sta_ = sta;
      break;
    }
    case insim::type::kMso:
      MessageOut(p);
      break;
    case insim::type::kNcn: {
      const insim::Ncn ncn = insim::DecodeNcn(p);
      std::lock_guard lock(state_);
      if ((ncn.flags & insim::kNcnRemote) == 0) localUcid_ = ncn.ucid;
      break;
    }
    case insim::type::kCpr: {
      std::lock_guard lock(state_);
      engine::OnPlayerRename(category_, insim::DecodeCpr(p));
      break;
    }
    case insim::type::kNpl: {
      std::lock_guard lock(state_);
      engine::OnNewPlayer(category_, insim::DecodeNpl(p));
      break;
    }
    case insim::type::kBfn:
      if (insim::DecodeBfn(p).subt == insim::bfn::kUserClear) WithUi(ui::OnUserClear);
      break;
    case insim::type::kBtc: {
      const insim::Btc btc = insim::DecodeBtc(p);
      WithUi([&](ui::Ui& ui) { ui::HandleButtonClick(ui, btc.reqi, btc.clickId); });
      break;
    }
    default:
      break;
  }
}

void ISApp::MessageOut(insim::Bytes mso) { commands::MessageOut(mso, *this, link_, err_); }

void ISApp::OpenMainMenuFromChat() { WithUi(ui::ShowMainMenuOver); }

void ISApp::ClearButtons() { WithUi(ui::ClearAllButtons); }

void ISApp::SetLightsMode(std::uint32_t mode) {
  std::lock_guard lock(state_);
  active_.lightsMode = mode;
}

// "rescan" and "Refresh Controllers": the tick polls the list, so it is
// rebuilt under the state lock.
std::size_t ISApp::RescanControllers() {
  std::lock_guard lock(state_);
  controllers_.Refresh(out_);
  return controllers_.controllers().size();
}

commands::Status ISApp::ReadStatus() {
  std::lock_guard lock(state_);
  commands::Status s;
  s.version = update::kProgramVersion;
  s.category = active_.modeCategory;
  s.sirenMode = active_.activeSirenMode;
  s.lightsMode = active_.lightsMode;
  if (!localNickname_.empty()) s.nickname = localNickname_;
  s.flashing = engine_.light().flashing;
  s.siren = engine_.light().siren;
  s.horn = engine_.light().horn;
  for (const input::Controller& c : controllers_.controllers())
    s.controllers.push_back(c.productName);
  s.file = session_.file.state;
  s.skippedLines = session_.file.skippedLines;
  return s;
}

void ISApp::HandleVersion(const insim::Ver& ver) {
  link_.lfsVersion = ver.version;
  link_.lfsProduct = ver.product;
  link_.lfsInSimVer.store(ver.insimVer);
  const insim::VersionStep step = insim::ChooseVersionStep(link_.sizeUnit(), ver);
  if (step == insim::VersionStep::kSwitchTo8 || step == insim::VersionStep::kUpgradeTo9) {
    const bool to9 = step == insim::VersionStep::kUpgradeTo9;
    out_ << insim::SwitchLine(ver, step) << std::endl;
    insimV9Mode_.store(to9);
    link_.SwitchInSimVersion(to9);
    return;
  }
  if (step == insim::VersionStep::kBegin) BeginInSim();
  out_ << insim::AcceptedLine(ver) << std::endl;
}

void ISApp::BeginInSim() {
  link_.SendTiny(1, insim::tiny::kSst);
  link_.SendTiny(1, insim::tiny::kNcn);
  platform_.timer.SleepFor(ToNanos(250ms));
  link_.SendTiny(1, insim::tiny::kNpl);
  link_.SendLocalMessage(insim::GreetingText(), 0);
  ShowNewVersionNotice();
  std::lock_guard lock(state_);
  if (active_.option(opt::kShowHud)) hud_.DrawHud();
}

void ISApp::ShowNewVersionNotice() {
  const update::Notice& notice = session_.update;
  if (notice.newVersion.empty()) return;
  link_.SendLocalMessage(insim::NewVersionText(notice.newVersion), 4);
  link_.SendLocalMessage(insim::UpdatePageText(notice.page), 0);
}

void ISApp::TickLoop() {
  try {
    platform_.timer.SleepFor(ToNanos(100ms));
    Nanos deadline = platform_.timer.Now();
    while (!ended()) {
      if (leave_.load()) {
        LeaveNow();
        break;
      }
      const Nanos now = platform_.timer.Now();
      Tick(now);
      deadline += kTickPeriod;
      // Late ticks are made up, but after a stall (a suspended machine, a
      // debugger) catching up would run thousands of ticks back to back and
      // flood LFS with light packets: start the rhythm again from now.
      if (now - deadline > kMaxTickLag) deadline = now;
      platform_.timer.SleepUntil(deadline);
    }
  } catch (const std::exception& e) {
    out_ << "TickLoop: Exception: " << e.what() << std::endl;
  } catch (...) {
    out_ << "TickLoop: Unknown exception\n" << std::endl;
  }
  ended_.store(true);
  // The receive thread would otherwise wait for LFS for ever. LFS is asked
  // to close the connection (the leave has asked already), and the link is
  // ended from this side too, whether LFS does or not.
  if (receiving_.load()) link_.SendTiny(0, insim::tiny::kClose);
  link_.Close();
}

// Under the state lock, so that no handler queues anything between the
// switch-off and the leave.
void ISApp::LeaveNow() {
  std::lock_guard lock(state_);
  ended_.store(true);
  std::uint32_t switches = 0, lights = 0;
  engine_.SwitchOff(switches, lights);
  if (switches != 0) link_.SendSmall(insim::small::kLcs, switches);
  if (lights != 0) link_.SendSmall(insim::small::kLcl, lights);
  link_.Leave();
}

void ISApp::Tick(Nanos now) {
  std::lock_guard lock(state_);
  try {
    TickLocked(now);
  } catch (const std::system_error&) {
    EndFor(std::current_exception(), "Tick: Exception: ");
  } catch (const std::exception& e) {
    // An exception with no text of its own is not worth ending the connection for.
    if (typeid(e) == typeid(std::exception)) return;
    EndFor(std::current_exception(), "Tick: Exception: ");
  } catch (...) {
    EndFor(std::current_exception(), "Tick: ");
  }
}

void ISApp::TickLocked(Nanos now) {
  const std::uint8_t outstanding = link_.pingOutstanding();
  if (outstanding != 0 && now - link_.pingSentTime() > kPingTimeout) {
    out_ << "LFS did not respond to Ping request" << std::endl;
    link_.SendTiny(outstanding, insim::tiny::kPing);
    link_.MarkPingResent(now);
  }
  std::uint32_t switches = 0, lights = 0;
  if (ui_.screen == ui::screen::kNone) {
    controllers_.PollAll();
    const std::uint32_t word =
        input::ReadControlWord(controllers_, active_.bindings, platform_.keyboard);
    controlWord_.store(word);
    std::array<char, engine::kTitleBuffer> title{};
    const bool hasTitle = platform_.window.Title(title);
    const bool ignored =
        engine::InputIgnored(active_, sta_.flags, hasTitle ? title.data() : nullptr);
    engine_.LightsTick(word, ignored, switches, lights, now);
  } else if (ui_.screen == ui::screen::kEditControl) {
    ui::EditControlTick(uiContext_, controllers_, platform_.keyboard);
  }
  if (switches != 0) link_.SendSmall(insim::small::kLcs, switches);
  if (lights != 0) link_.SendSmall(insim::small::kLcl, lights);
  if (switches == 0 && lights == 0) link_.SendPingIfIdle(pingReqI_, now);
  // After this tick's light packets, so the hint costs them no time.
  if (engine_.modeHintDue()) {
    engine_.ClearModeHint();
    link_.SendLocalMessage(engine::ModeHintText(active_), 1);
  }
}

}  // namespace bnx
