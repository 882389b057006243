// The Horn/Siren and Bullhorn key machines, the shut-down in modes without
// sirens and the end of a piercer burst.
#include "engine/engine.hpp"
#include "engine/mode_tables.hpp"
#include "input/binding.hpp"

namespace bnx::engine {

namespace {
constexpr std::uint32_t kSirenBit = 1u << fn::kSiren;
constexpr std::uint32_t kBullhornBit = 1u << fn::kBullhorn;

bool SirensAllowed(std::uint32_t mode) { return mode < siren_mode::kTow; }
bool CyclesPiercer(std::uint32_t mode) {
  return mode == siren_mode::kPiercerCycle || mode == siren_mode::kPiercerCycleBullhorn;
}
bool HasBullhornKey(std::uint32_t mode) {
  return mode == siren_mode::kBullhornA || mode == siren_mode::kBullhornB ||
         mode == siren_mode::kPiercerCycleBullhorn;
}
}  // namespace

void Engine::SirenKey(std::uint32_t& switches, Nanos now) {
  const std::uint32_t mode = Mode();
  const bool flashWithHorn = Option(opt::kFlashWithHorn);

  if (Pressed(kSirenBit)) {
    siren_.previousPressTime = siren_.pressTime;
    siren_.pressTime = now;
    siren_.pressSeen = true;
    // A release missed while input was ignored must not spoil this press.
    siren_.longPressHandled = false;
    WritePlainHorn(switches);
    if (flashWithHorn && !light_.flashing) WriteFlash(switches, true);
    return;
  }

  if (!siren_.pressSeen) return;

  if (Held(kSirenBit)) {
    if (siren_.longPressHandled || now - siren_.pressTime <= kHoldThreshold) return;
    siren_.longPressHandled = true;
    if (now - siren_.previousPressTime < kDoubleTapWindow && light_.siren != siren::kOff &&
        !siren_.offByDoubleTap && !CyclesPiercer(mode)) {
      StartPiercerBurst(switches, now);
    } else if (mode == siren_mode::kBullhornA) {
      if (light_.siren != siren::kOff) StartPiercerBurst(switches, now);
    } else if (mode == siren_mode::kBullhornB || mode == siren_mode::kPiercerCycleBullhorn) {
      // the plain horn goes on while the key is held
    } else if (light_.siren != siren::kOff) {
      WriteHorn(switches, horn::kBullhorn);
    }
    return;
  }

  if (Released(kSirenBit)) {
    if (now - siren_.pressTime < kHoldThreshold) {
      TapRule(switches, now);
    } else {
      // A piercer started by this press outlives it.
      if (light_.horn != horn::kPiercer) WriteHorn(switches, horn::kOff);
      if (light_.flash && flashWithHorn) WriteFlash(switches, false);
      // A press that cut a piercer burst leaves the siren silent: the tone
      // the HUD still shows comes back, as after a tap.
      if (siren_.engaged && light_.horn == horn::kOff && light_.siren == siren::kOff &&
          !siren_.bullhornDown)
        ResumeTone(switches);
      siren_.lastPressWasTap = false;
    }
    siren_.longPressHandled = false;
  }
}

void Engine::StartPiercerBurst(std::uint32_t& switches, Nanos now) {
  siren_.toneBeforePiercer = light_.siren == siren::kFast   ? tone::kYelp
                             : light_.siren == siren::kSlow ? tone::kWail
                                                            : tone::kNone;
  WritePiercer(switches);
  siren_.piercerStart = now;
}

void Engine::TapRule(std::uint32_t& switches, Nanos now) {
  const std::uint32_t mode = Mode();
  if (light_.flash && Option(opt::kFlashWithHorn)) WriteFlash(switches, false);

  if (!siren_.engaged) {
    if (SirensAllowed(mode)) {
      WriteSiren(switches, siren::kSlow);
      siren_.tone = tone::kWail;
      if (Option(opt::kLightsWithSiren) && !light_.flashing) StartFlashingLights();
      siren_.engaged = true;
    } else {
      NoteDisabledKey();
    }
    WriteHorn(switches, horn::kOff);
    siren_.lastPressWasTap = true;
    return;
  }

  // The window runs from the start of the previous press to the end of this one.
  if (siren_.lastPressWasTap && now - siren_.previousPressTime < kDoubleTapWindow) {
    WriteSiren(switches, siren::kOff);
    WriteHorn(switches, horn::kOff);
    siren_.engaged = false;
    siren_.tone = tone::kNone;
    siren_.offByDoubleTap = true;
    siren_.lastPressWasTap = true;
    return;
  }

  if (light_.siren == siren::kFast) {
    if (CyclesPiercer(mode)) {
      // The horn is not switched off: it now carries the piercer.
      WritePiercer(switches);
      siren_.tone = tone::kPiercer;
      siren_.piercerStart = now;
    } else {
      WriteSiren(switches, siren::kSlow);
      siren_.tone = tone::kWail;
      WriteHorn(switches, horn::kOff);
    }
    siren_.offByDoubleTap = false;
  } else if (light_.siren == siren::kSlow) {
    WriteSiren(switches, siren::kFast);
    siren_.tone = tone::kYelp;
    WriteHorn(switches, horn::kOff);
    siren_.offByDoubleTap = false;
  } else if ((siren_.tone == tone::kPiercer || light_.horn == horn::kPiercer) &&
             CyclesPiercer(mode)) {
    // Engaged but silent: a piercer burst or a bullhorn was running.
    WriteSiren(switches, siren::kSlow);
    siren_.tone = tone::kWail;
    WriteHorn(switches, horn::kOff);
    siren_.offByDoubleTap = false;
  } else {
    WriteHorn(switches, horn::kOff);
    ResumeTone(switches);
  }
  siren_.lastPressWasTap = true;
}

void Engine::ResumeTone(std::uint32_t& switches) {
  switch (siren_.tone) {
    case tone::kNone:
      WriteSiren(switches, siren::kOff);
      break;
    case tone::kWail:
      WriteSiren(switches, siren::kSlow);
      break;
    case tone::kYelp:
      WriteSiren(switches, siren::kFast);
      break;
    default:
      WritePiercer(switches);
      break;  // ends when its old time runs out
  }
}

void Engine::BullhornKey(std::uint32_t& switches) {
  const std::uint32_t mode = Mode();
  if (HasBullhornKey(mode) && Pressed(kBullhornBit)) {
    siren_.restoreAfterBullhorn = light_.horn == horn::kPiercer  ? tone::kPiercer
                                  : light_.siren == siren::kFast ? tone::kYelp
                                  : light_.siren == siren::kSlow ? tone::kWail
                                                                 : tone::kNone;
    WriteHorn(switches, horn::kBullhorn);
    if (Option(opt::kBullhornInterrupts) && light_.siren != siren::kOff)
      WriteSiren(switches, siren::kOff);
    if (Option(opt::kFlashWithHorn) && !light_.flashing) WriteFlash(switches, true);
    siren_.bullhornDown = true;
  } else if (siren_.bullhornDown && Released(kBullhornBit)) {
    BullhornRelease(switches);
  }
}

void Engine::BullhornRelease(std::uint32_t& switches) {
  siren_.bullhornDown = false;
  WriteHorn(switches, horn::kOff);
  // A mode without sirens brings nothing back, nor does a siren the player
  // switched off, or on again, while the bullhorn sounded.
  if (SirensAllowed(Mode()) && siren_.engaged && light_.siren == siren::kOff) {
    const bool interrupts = Option(opt::kBullhornInterrupts);
    switch (siren_.restoreAfterBullhorn) {
      case tone::kWail:
        if (interrupts) WriteSiren(switches, siren::kSlow);
        break;
      case tone::kYelp:
        if (interrupts) WriteSiren(switches, siren::kFast);
        break;
      case tone::kPiercer:
        WritePiercer(switches);
        break;  // goes on with its old start
      default:
        break;
    }
  }
  if (Option(opt::kFlashWithHorn) && light_.flash) WriteFlash(switches, false);
}

void Engine::SirenShutDown(std::uint32_t& switches) {
  if (SirensAllowed(Mode())) return;
  siren_.engaged = false;
  if (light_.siren != siren::kOff) WriteSiren(switches, siren::kOff);
  // A piercer burst is a siren too: it ends here, with nothing brought back.
  if (light_.horn == horn::kPiercer) WriteHorn(switches, horn::kOff);
  siren_.tone = tone::kNone;
}

void Engine::PiercerTimeout(std::uint32_t& switches, Nanos now) {
  if (light_.horn != horn::kPiercer || now - siren_.piercerStart <= kPiercerDuration) return;
  const std::uint32_t mode = Mode();
  if (CyclesPiercer(mode)) {
    WriteHorn(switches, horn::kOff);
    WriteSiren(switches, siren::kFast);
  } else if (SirensAllowed(mode)) {
    WriteSiren(switches, siren_.toneBeforePiercer == tone::kYelp ? siren::kFast : siren::kSlow);
    WriteHorn(switches, horn::kOff);
  } else {
    WriteHorn(switches, horn::kOff);
  }
}

}  // namespace bnx::engine
