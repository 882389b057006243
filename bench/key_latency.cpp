// Key-to-wire latency: a key goes down at the fake keyboard while the real
// tick thread runs; the clock stops when its SMALL_LCL arrives at the other
// end of a loopback socket. p50, p99 and max over the given presses.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>
#include <vector>

#include "app/isapp.hpp"
#include "platform/fake/fake_platform.hpp"
#include "support/loopback_lfs.hpp"

int main(int argc, char** argv) {
  using Clock = std::chrono::steady_clock;
  const int presses = argc > 1 ? std::atoi(argv[1]) : 1000;
  bnx::platform::fake::FakePlatform fakes;
  auto& keyboard = fakes.keyboard;
  bnx::platform::Platform& platform = fakes.platform;
  bnx::testing::LoopbackLfs lfs;
  bnx::Config config;
  bnx::Session session;
  session.insimPort = lfs.port();
  constexpr std::uint8_t kKey = 0x46;  // F: Front Fog toggles on every press
  config.bindings = {bnx::Binding{"", "", bnx::fn::kFrontFog, {}, {}, {kKey}}};
  std::ostringstream out, err;
  bnx::ISApp app(config, session, platform, out, err);
  if (app.Connect() != bnx::insim::ConnectResult::kConnected) return 1;
  lfs.Accept();
  lfs.ReadPacket(1);
  std::thread tick(&bnx::ISApp::TickLoop, &app);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  std::vector<double> ms;
  for (int i = 0; i < presses; ++i) {
    const auto down = Clock::now();
    keyboard.Hold(kKey);
    for (;;) {
      const auto p = lfs.ReadPacket(1);
      if (p[1] == 4 && p[3] == 10) break;  // SMALL_LCL
    }
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - down).count());
    keyboard.Release(kKey);
    // A few ms apart, so presses fall at every phase of the tick.
    std::this_thread::sleep_for(std::chrono::microseconds(15000 + (i * 3700) % 10000));
  }
  app.link().Close();
  tick.detach();  // the bench ends here; the loop would run until the process exits
  std::sort(ms.begin(), ms.end());
  std::printf("presses %zu  key-to-wire p50 %.3f ms  p99 %.3f ms  max %.3f ms\n", ms.size(),
              ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 99 / 100)], ms.back());
  std::fflush(stdout);
  std::_Exit(0);
}
