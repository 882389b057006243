// libFuzzer target for what LFS sends: a byte stream through the link's framing (RecvPacket),
// ISApp's receive loop and so every handler behind DispatchPacket, then one tick. Byte 0: bit 0
// the size unit (InSim 9), bit 1 the HUD, running lights and a siren behaviour on, bits 2-7 the
// length of each read (0: all that fits), as a dripping or bursting LFS gives it. Besides
// sanitizer reports it aborts when a packet the program sends is not framed as its unit says.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "app/isapp.hpp"
#include "platform/fake/fake_platform.hpp"

using namespace bnx;

namespace {

struct ManualTimer : platform::Timer {  // time passes only when the program sleeps
  void BeginPeriod(unsigned) override {}
  Nanos Now() override { return now; }
  void SleepFor(Nanos d) override { now += d; }
  void SleepUntil(Nanos t) override { now = std::max(now, t); }
  Nanos now = 1'000'000'000'000;
};

// LFS's side of the socket. Its end reads as 0 bytes, which ends the receive
// loop as a closed socket does, without an exception's cost on every input.
struct MemoryStream : insim::InSimLink::Stream {
  MemoryStream(const std::uint8_t* d, std::size_t n, std::size_t c, const insim::InSimLink& l) : data(d), size(n), chunk(c), link(l) {}
  std::size_t ReadSome(std::uint8_t* to, std::size_t room) override {
    const std::size_t n = std::min({room, size - pos, chunk ? chunk : room});
    std::memcpy(to, data + pos, n);
    return pos += n, n;
  }
  // One or more whole packets (a click's are written together).
  void Write(const std::uint8_t* p, std::size_t n) override {
    for (std::size_t size = 0; n != 0; p += size, n -= size) {
      size = std::size_t(p[0]) * std::size_t(link.sizeUnit());
      if (n >= 4 && size >= 4 && size <= n && p[1] != 0) continue;
      std::fprintf(stderr, "sent %zu bytes: Size %d, Type %d\n", n, p[0], n > 1 ? p[1] : 0);
      std::abort();
    }
  }
  const std::uint8_t* data;
  std::size_t size, chunk, pos = 0;
  const insim::InSimLink& link;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static platform::fake::FakePlatform fakes;
  ManualTimer timer;
  Config config;
  Session session;
  session.insimV9 = data[0] & 1;
  config.options[opt::kShowHud] = config.options[opt::kRunningLights] = data[0] & 2;
  config.sirenBehaviour = data[0] & 2 ? 3 : 0;
  std::ostringstream out, err;
  platform::Platform platform = fakes.With(timer);
  ISApp app(config, session, platform, out, err);
  MemoryStream stream(data + 1, size - 1, data[0] >> 2, app.link());
  app.link().UseStream(&stream);
  app.ReceiveLoop();
  app.Tick(timer.Now());
  return 0;
}
