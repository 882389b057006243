// Receive path: framing plus dispatch of a recorded mix of packets arriving
// over a loopback socket, in packets per second and heap allocations per packet.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <sstream>
#include <thread>
#include <vector>

#include "app/isapp.hpp"
#include "platform/fake/game_input.hpp"
#include "platform/fake/keyboard.hpp"
#include "platform/fake/system.hpp"
#include "platform/fake/window.hpp"
#include "support/loopback_lfs.hpp"

static std::atomic<long> g_allocations{0};
void* operator new(std::size_t n) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {
using bnx::testing::ByteVec;

ByteVec Packet(std::uint8_t type, std::size_t length, std::uint8_t b3 = 0) {
  ByteVec p(length, 0);
  p[0] = std::uint8_t(length);
  p[1] = type;
  p[3] = b3;
  return p;
}

// Packets that LFS sends while driving and that need no answer.
ByteVec RecordedStream() {
  std::vector<ByteVec> mix = {
      Packet(5, 28),                   // IS_STA
      Packet(4, 8, 1),                 // IS_SMALL
      Packet(3, 4, 4),                 // TINY_REPLY, no ping outstanding
      [] { auto p = Packet(18, 56, 3); p[54] = 4; return p; }(),  // remote IS_NCN
      [] { auto p = Packet(20, 36, 9); p[4] = 'x'; return p; }(),  // IS_CPR of another connection
      [] { auto p = Packet(11, 24); p[6] = 0; std::memcpy(&p[8], "hello there", 11); return p; }(),
      Packet(46, 8),                   // IS_BTC
      Packet(42, 8, 1),                // IS_BFN, not a user clear
      Packet(31, 12),                  // a type the program ignores
  };
  ByteVec stream;
  for (int i = 0; i < 200; ++i)
    for (auto& p : mix) stream.insert(stream.end(), p.begin(), p.end());
  return stream;
}
}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
  bnx::platform::fake::FakeKeyboard keyboard;
  bnx::platform::fake::FakeForegroundWindow window;
  bnx::platform::fake::FakeGameInput gameInput;
  bnx::platform::fake::FakeTimer timer;
  bnx::platform::fake::StdinConsole console;
  bnx::platform::fake::FakeShell shell;
  bnx::platform::fake::FakeHttps https;
  bnx::platform::fake::FakeRegistry registry;
  bnx::platform::Platform platform{keyboard, window, gameInput, timer, console, shell, https, registry};
  bnx::testing::LoopbackLfs lfs;
  bnx::Config config;
  config.insimPort = lfs.port();
  std::ostringstream out, err;
  bnx::ISApp app(config, platform, out, err);
  if (app.Connect() != 0) return 1;
  lfs.Accept();
  lfs.ReadPacket(1);

  const ByteVec stream = RecordedStream();
  const long perRound = 200 * 9;
  std::thread writer([&] {
    for (int r = 0; r < rounds; ++r) lfs.Write(stream);
  });
  const long total = perRound * rounds;
  const long before = g_allocations.load();
  const auto t0 = std::chrono::steady_clock::now();
  for (long i = 0; i < total; ++i) {
    if (!app.link().RecvPacket()) return 1;
    app.DispatchPacket(app.link().Packet());
  }
  const auto t1 = std::chrono::steady_clock::now();
  const long allocations = g_allocations.load() - before;
  writer.join();
  const double s = std::chrono::duration<double>(t1 - t0).count();
  std::printf("packets %ld  bytes %zu  %.0f packets/s  %.1f MB/s  allocations per packet %.4f\n", total,
              stream.size() * rounds, total / s, stream.size() * rounds / s / 1e6,
              double(allocations) / double(total));
  // The same bytes, for the node-insim comparison.
  if (argc > 2) {
    if (FILE* f = std::fopen(argv[2], "wb")) {
      std::fwrite(stream.data(), 1, stream.size(), f);
      std::fclose(f);
    }
  }
  return 0;
}
