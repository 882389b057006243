#pragma once
// A loopback socket that plays LFS's side of one connection, for tests and
// benchmarks that need a real link.
#include <asio/read.hpp>
#include <asio/ts/internet.hpp>
#include <asio/write.hpp>
#include <cstdint>
#include <vector>

namespace bnx::testing {

using ByteVec = std::vector<std::uint8_t>;

class LoopbackLfs {
 public:
  LoopbackLfs() : acceptor_(io_, {asio::ip::address_v4::loopback(), 0}), peer_(io_) {}
  std::uint16_t port() const { return acceptor_.local_endpoint().port(); }
  // After the program under test has connected (the backlog holds it).
  void Accept() { acceptor_.accept(peer_); }
  ByteVec Read(std::size_t n) {
    ByteVec b(n);
    asio::read(peer_, asio::buffer(b));
    return b;
  }
  // One whole packet, sized by its first byte.
  ByteVec ReadPacket(int sizeUnit) {
    ByteVec p = Read(1);
    const ByteVec rest = Read(std::size_t(p[0]) * sizeUnit - 1);
    p.insert(p.end(), rest.begin(), rest.end());
    return p;
  }
  void Write(const ByteVec& b) { asio::write(peer_, asio::buffer(b)); }

 private:
  asio::io_context io_;
  asio::ip::tcp::acceptor acceptor_;
  asio::ip::tcp::socket peer_;
};

}  // namespace bnx::testing
