// Receive path figures: a recorded mix of LFS packets, in both size units,
// (a) sent over a loopback socket by a writer thread and taken apart by the
//     real InSimLink::RecvPacket plus the receive loop's routing and
//     ISApp::DispatchPacket,
// (b) the same over the socket with RecvPacket alone (framing + reads),
// (c) DispatchPacket alone over the bytes in memory,
// and heap allocations per packet on the receiving thread, overall and per
// packet kind. Writes the streams for bench/recv_node.mjs.
//
// Usage: recv_path [seconds per figure, default 1.5] [stream file prefix]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/isapp.hpp"
#include "platform/fake/fake_platform.hpp"
#include "support/loopback_lfs.hpp"

// Allocations are counted per thread, so the writer thread's do not count
// against the receive path. The array, nothrow and aligned forms of the
// library forward to these two.
namespace {
thread_local std::uint64_t t_allocations = 0;
}
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
  ++t_allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using bnx::testing::ByteVec;
using Clock = std::chrono::steady_clock;

struct Kind {
  std::string name;
  ByteVec bytes;  // Size byte in bytes; fixed up per size unit
};

ByteVec Packet(std::size_t length, std::uint8_t type) {
  ByteVec p(length, 0);
  p[0] = std::uint8_t(length);
  p[1] = type;
  return p;
}
void Put(ByteVec& p, std::size_t off, std::string_view text) {
  std::memcpy(&p[off], text.data(), text.size());
}

ByteVec Sta(std::uint16_t flags) {
  ByteVec p = Packet(28, 5);
  p[8] = std::uint8_t(flags);
  p[9] = std::uint8_t(flags >> 8);
  return p;
}
// IS_MSO sized by its text: 8 + text with its zero, rounded up to 4.
ByteVec Mso(std::uint8_t userType, std::string_view text) {
  const std::size_t n = std::min<std::size_t>(8 + ((text.size() + 1 + 3) / 4) * 4, 136);
  ByteVec p = Packet(n, 11);
  p[4] = 7;
  p[6] = userType;
  Put(p, 8, text.substr(0, n - 9));
  return p;
}
// A player who is not ours: remote, or AI.
ByteVec Npl(std::uint8_t plid, std::uint8_t ptype, std::string_view name) {
  ByteVec p = Packet(76, 21);
  p[3] = plid;
  p[4] = std::uint8_t(plid + 10);
  p[5] = ptype;
  Put(p, 8, name);
  Put(p, 32, "XFG");
  return p;
}
ByteVec Ncn(std::uint8_t ucid, std::string_view user, std::string_view name) {
  ByteVec p = Packet(56, 18);
  p[3] = ucid;
  Put(p, 4, user);
  Put(p, 28, name);
  p[53] = 12;
  p[54] = 4;  // remote
  return p;
}
ByteVec Cpr(std::uint8_t ucid, std::string_view name) {
  ByteVec p = Packet(36, 20);
  p[3] = ucid;
  Put(p, 4, name);
  Put(p, 28, "BNX 01");
  return p;
}
ByteVec Bytes3(std::size_t length, std::uint8_t type, std::uint8_t reqi, std::uint8_t subt,
               std::uint8_t b4 = 0) {
  ByteVec p = Packet(length, type);
  p[2] = reqi;
  p[3] = subt;
  if (length > 4) p[4] = b4;
  return p;
}

// The kinds of packet LFS sends to a local InSim client while a session runs,
// none of them a keep-alive (TINY_NONE is answered with a send).
std::vector<Kind> Kinds() {
  return {
      {"IS_STA", Sta(0x0008)},
      {"IS_STA dialog", Sta(0x0010)},
      {"IS_MSO short", Mso(1, "^7Ann^L: hi")},
      {"IS_MSO long", Mso(1,
                          "^1[COP]^7 Officer Jones^L: ^7pull over to the left, now please, this is "
                          "your last warning")},
      {"IS_MSO /o", Mso(3, "/o bnx nothing")},
      {"IS_NPL name<=15", Npl(3, 4, "^7Ann Driver")},
      {"IS_NPL name>15", Npl(4, 4, "^1[COP]^7 Officer Jones")},
      {"IS_NPL AI", Npl(5, 2, "AI 1")},
      {"IS_NCN name<=15", Ncn(6, "ann", "^7Ann")},
      {"IS_NCN name>15", Ncn(7, "jonesy", "^1[COP]^7 Officer Jones")},
      {"IS_CPR name<=15", Cpr(8, "^3Bob")},
      {"IS_CPR name>15", Cpr(9, "^3[TOW]^7 Bob the Builder")},
      {"IS_BTC", Bytes3(8, 46, 2, 0, 17)},
      {"IS_BFN request", Bytes3(8, 42, 0, 3)},
      {"IS_SMALL VTA", Bytes3(8, 4, 0, 2)},
      {"IS_TINY REPLY", Bytes3(4, 3, 1, 4)},
      {"IS_CNL", Bytes3(8, 19, 0, 7, 2)},
      {"IS_PLL", Bytes3(4, 23, 0, 5)},
      {"IS_RST", Packet(40, 17)},
  };
}

// One round of the recorded mix: how often each kind comes in 100 packets.
std::vector<std::pair<const char*, int>> Mix() {
  return {
      {"IS_STA", 15},         {"IS_STA dialog", 5},   {"IS_MSO short", 12},   {"IS_MSO long", 8},
      {"IS_MSO /o", 5},       {"IS_NPL name<=15", 5}, {"IS_NPL name>15", 4},  {"IS_NPL AI", 1},
      {"IS_NCN name<=15", 4}, {"IS_NCN name>15", 4},  {"IS_CPR name<=15", 2}, {"IS_CPR name>15", 2},
      {"IS_BTC", 10},         {"IS_BFN request", 3},  {"IS_SMALL VTA", 5},    {"IS_TINY REPLY", 5},
      {"IS_CNL", 4},          {"IS_PLL", 3},          {"IS_RST", 3}};
}

ByteVec InUnit(ByteVec p, int unit) {
  p[0] = std::uint8_t(p.size() / unit);
  return p;
}

// One round, interleaved so that no two of a kind run together more than the mix requires.
ByteVec Round(const std::vector<Kind>& kinds, int unit, std::size_t& packets) {
  auto mix = Mix();
  ByteVec out;
  packets = 0;
  for (bool any = true; any;) {
    any = false;
    for (auto& [name, left] : mix) {
      if (left == 0) continue;
      --left;
      any = true;
      auto it =
          std::find_if(kinds.begin(), kinds.end(), [&](const Kind& k) { return k.name == name; });
      const ByteVec p = InUnit(it->bytes, unit);
      out.insert(out.end(), p.begin(), p.end());
      ++packets;
    }
  }
  return out;
}

// Console output of the program under test: counted and dropped, or written
// to a file descriptor with every flush, as std::cout to a console does.
class LineSink : public std::streambuf {
 public:
  explicit LineSink(FILE* file = nullptr) : file_(file) {}
  std::uint64_t lines = 0;

 protected:
  int_type overflow(int_type c) override {
    if (c == '\n') ++lines;
    if (file_ && c != traits_type::eof()) std::fputc(c, file_);
    return c;
  }
  int sync() override { return file_ ? std::fflush(file_) : 0; }

 private:
  FILE* file_;
};

// A connected ISApp on the in-memory platform whose threads are not started.
struct Rig {
  bnx::platform::fake::FakePlatform fakes;
  bnx::platform::Platform& platform = fakes.platform;
  bnx::testing::LoopbackLfs lfs;
  LineSink outSink;
  std::ostream out{&outSink};
  std::ostringstream err;
  std::unique_ptr<bnx::ISApp> app;

  explicit Rig(int unit, FILE* outFile = nullptr) : outSink(outFile) {
    bnx::Session session;
    session.insimPort = lfs.port();
    session.insimV9 = unit == 4;
    app = std::make_unique<bnx::ISApp>(bnx::Config{}, session, platform, out, err);
    if (app->Connect() != bnx::insim::ConnectResult::kConnected) {
      std::fprintf(stderr, "connect failed: %s\n", err.str().c_str());
      std::exit(1);
    }
    lfs.Accept();
    lfs.ReadPacket(unit);  // IS_ISI
  }
};

struct Figure {
  double packetsPerSecond = 0, bytesPerSecond = 0, allocationsPerPacket = 0, linesPerPacket = 0;
};

// What ReceiveLoop does with each packet (the loop itself runs until end of file).
inline void Route(bnx::ISApp& app) {
  const bnx::insim::Bytes p = app.link().Packet();
  switch (p[1]) {
    case bnx::insim::type::kTiny:
      if (p.size() >= 4 && p[3] == bnx::insim::tiny::kReply && p[2] == 1)
        app.link().PingAnswered(1);
      break;
    case bnx::insim::type::kSmall:
      break;
    default:
      app.DispatchPacket(p);
  }
}

Figure OverSocket(const ByteVec& round, std::size_t perRound, int unit, std::size_t rounds,
                  bool dispatch, FILE* outFile = nullptr) {
  Rig rig(unit, outFile);
  // The writer sends whole chunks of rounds, as a busy socket delivers them.
  ByteVec chunk;
  const std::size_t roundsPerChunk = std::max<std::size_t>(1, 65536 / round.size());
  for (std::size_t i = 0; i < roundsPerChunk; ++i)
    chunk.insert(chunk.end(), round.begin(), round.end());
  std::atomic<bool> go{false};
  std::thread writer([&] {
    while (!go.load()) std::this_thread::yield();
    std::size_t left = rounds;
    while (left > 0) {
      const std::size_t n = std::min(left, roundsPerChunk);
      rig.lfs.Write(ByteVec(chunk.begin(), chunk.begin() + std::ptrdiff_t(n * round.size())));
      left -= n;
    }
  });
  const std::size_t total = rounds * perRound;
  bnx::ISApp& app = *rig.app;
  const std::uint64_t before = t_allocations;
  go.store(true);
  const auto t0 = Clock::now();
  for (std::size_t i = 0; i < total; ++i) {
    if (!app.link().RecvPacket()) {
      std::fprintf(stderr, "stream ended early\n");
      std::exit(1);
    }
    if (dispatch) Route(app);
  }
  const auto t1 = Clock::now();
  const std::uint64_t allocations = t_allocations - before;
  writer.join();
  const double s = std::chrono::duration<double>(t1 - t0).count();
  return {double(total) / s, double(rounds * round.size()) / s, double(allocations) / double(total),
          double(rig.outSink.lines) / double(total)};
}

Figure InMemory(const ByteVec& round, std::size_t perRound, int unit, double seconds) {
  Rig rig(unit);
  bnx::ISApp& app = *rig.app;
  std::size_t packets = 0;
  const std::uint64_t before = t_allocations;
  const auto t0 = Clock::now();
  auto t1 = t0;
  std::size_t rounds = 0;
  do {
    for (int r = 0; r < 100; ++r, ++rounds) {
      for (std::size_t pos = 0; pos < round.size();) {
        const std::size_t n = std::size_t(round[pos]) * unit;
        app.DispatchPacket(bnx::insim::Bytes(round.data() + pos, n));
        pos += n;
        ++packets;
      }
    }
    t1 = Clock::now();
  } while (std::chrono::duration<double>(t1 - t0).count() < seconds);
  const double s = std::chrono::duration<double>(t1 - t0).count();
  return {double(packets) / s, double(rounds * round.size()) / s,
          double(t_allocations - before) / double(packets)};
}

// Allocations made by DispatchPacket for one packet of each kind.
void AllocationsByKind(const std::vector<Kind>& kinds, int unit) {
  Rig rig(unit);
  std::printf("allocations per packet by kind (size unit %d, DispatchPacket):\n", unit);
  for (const Kind& k : kinds) {
    const ByteVec p = InUnit(k.bytes, unit);
    constexpr int kTimes = 1000;
    const std::uint64_t start = t_allocations;
    for (int i = 0; i < kTimes; ++i) rig.app->DispatchPacket(p);
    std::printf("  %-16s %3zu bytes  %.2f\n", k.name.c_str(), p.size(),
                double(t_allocations - start) / kTimes);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 1.5;
  const std::string prefix = argc > 2 ? argv[2] : "";
  const auto kinds = Kinds();

  for (int unit : {1, 4}) {
    std::size_t perRound = 0;
    const ByteVec round = Round(kinds, unit, perRound);
    if (!prefix.empty()) {
      const std::string path = prefix + "unit" + std::to_string(unit) + ".bin";
      if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(round.data(), 1, round.size(), f);
        std::fclose(f);
      }
    }
    // Size the socket runs from a short trial so each takes about `seconds`.
    auto sized = [&](bool dispatch, FILE* outFile) {
      const std::size_t trial = 2000;
      const Figure f = OverSocket(round, perRound, unit, trial, dispatch, outFile);
      const double rounds = f.packetsPerSecond / double(perRound) * seconds;
      return OverSocket(round, perRound, unit, std::max<std::size_t>(trial, std::size_t(rounds)),
                        dispatch, outFile);
    };
    auto print = [&](const char* what, const Figure& f) {
      std::printf(
          "RESULT %s unit=%d pps=%.0f MBps=%.1f allocs_per_packet=%.4f "
          "warn_lines_per_packet=%.3f\n",
          what, unit, f.packetsPerSecond, f.bytesPerSecond / 1e6, f.allocationsPerPacket,
          f.linesPerPacket);
    };
    std::printf("unit %d mix: %zu packets, %zu bytes per round (mean %.1f bytes)\n", unit, perRound,
                round.size(), double(round.size()) / double(perRound));
    print("recv_dispatch_socket", sized(true, nullptr));
    print("recv_only_socket", sized(false, nullptr));
    print("dispatch_only_memory", InMemory(round, perRound, unit, seconds));
    // The same with the program's console lines written out and flushed, as
    // std::cout does them, here to /dev/null (a real console is slower).
    if (FILE* null = std::fopen("/dev/null", "w")) {
      print("recv_dispatch_socket_console", sized(true, null));
      std::fclose(null);
    }
  }
  AllocationsByKind(kinds, 1);
  return 0;
}
