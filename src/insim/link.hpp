#pragma once
// The TCP connection to LFS and everything that crosses it.
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>

#include <asio/ts/internet.hpp>
#include <asio/ts/io_context.hpp>

#include "insim/packets.hpp"
#include "insim/sink.hpp"
#include "platform/system.hpp"

namespace bnx::insim {

using Nanos = platform::Nanos;
constexpr std::size_t kRecvBufferSize = 16384;

enum class ConnectResult : std::uint8_t {
  kConnected,
  kRefused,  // nothing listens on the port
  kFailed,   // any other failure, already reported on err
};

class InSimLink : public PacketSink {
 public:
  InSimLink(platform::Timer& timer, std::ostream& out, std::ostream& err);
  ~InSimLink() override;
  InSimLink(const InSimLink&) = delete;
  InSimLink& operator=(const InSimLink&) = delete;

  // Set-up before Connect.
  void SetPort(std::uint32_t configPort);  // 0 -> 29999; above 65535 -> 0 (no connection possible)
  void SetAdmin(std::string_view password);  // more than 15 characters: sent empty
  void SetIName(std::string_view name);
  void SetSizeUnit(bool version9);  // size unit 4 and InSimVer 9, or 1 and 8

  ConnectResult Connect();

  // Checks Size and Type and sends Size x size unit bytes.
  void SendPacket(std::span<const std::uint8_t> packet);

  // PacketSink
  void SendTiny(std::uint8_t reqi, std::uint8_t subt) override;
  void SendSmall(std::uint8_t subt, std::uint32_t uval) override;
  void SendButton(const Button& button) override;
  void SendDeleteButtons(std::uint8_t ucid, std::uint8_t clickId, std::uint8_t clickMax) override;
  bool SendLocalMessage(std::string_view text, std::uint8_t sound) override;

  // Hands out one packet at a time (Packet()); answers TINY_NONE itself.
  // Socket errors, end of file included, are thrown as asio::system_error.
  bool RecvPacket();
  Bytes Packet() const { return {buffer_.data() + pos_, current_}; }

  void SwitchInSimVersion(bool version9);
  void SendPingIfIdle(std::uint8_t reqi, Nanos now);

  // Ends the connection under a blocking read on another thread; no read
  // follows. Nothing is sent after it if the socket had to be closed.
  void Shutdown();
  // Asks LFS to close the connection (TINY_CLOSE); a link already broken is
  // left as it is.
  void CloseInSim() noexcept;
  // Removes every button of the program, then closes as CloseInSim; nothing
  // is sent after it, from any thread.
  void Leave() noexcept;

  // Ping bookkeeping: the tick thread writes it, the receive thread clears it.
  std::uint8_t pingOutstanding() const { return pingOutstanding_.load(); }
  Nanos pingSentTime() const { return pingSentTime_.load(); }
  void MarkPingResent(Nanos now) { pingSentTime_.store(now); }
  // Clears the outstanding ping when it is the one answered.
  void PingAnswered(std::uint8_t reqi);

  int sizeUnit() const { return sizeUnit_; }
  Nanos lastSendTime() const { return lastSend_.load(); }
  std::uint16_t port() const { return port_; }

  // From the IS_VER.
  std::string lfsVersion, lfsProduct;
  std::atomic<std::uint32_t> lfsInSimVer{0};

  // Stands in for the socket, so that the fuzz target can play LFS from memory.
  // ReadSome returns the bytes read; 0 ends the stream (the socket throws eof).
  struct Stream {
    virtual ~Stream() = default;
    virtual std::size_t ReadSome(std::uint8_t* data, std::size_t size) = 0;
    virtual void Write(const std::uint8_t* data, std::size_t size) = 0;
  };
  void UseStream(Stream* stream) { stream_ = stream; }

 private:
  std::size_t ReadSome(std::uint8_t* data, std::size_t size);
  void WriteLocked(const std::uint8_t* data, std::size_t n);  // send lock held
  template <std::size_t N>
  void WriteLocked(const std::array<std::uint8_t, N>& packet) {
    WriteLocked(packet.data(), N);
  }

  std::mutex sendLock_;
  bool left_ = false;  // under the send lock
  std::mutex readLock_;  // taken before the send lock, never after it
  std::condition_variable readEnded_;
  bool reading_ = false, ending_ = false;  // under the read lock
  std::string host_ = "localhost";
  std::uint16_t port_ = 29999;
  platform::Timer& timer_;
  std::ostream& out_;
  std::ostream& err_;
  asio::io_context io_;
  asio::ip::tcp::socket socket_;

  Isi isi_;
  ButtonBytes btn_{};  // under the send lock

  std::array<std::uint8_t, kRecvBufferSize> buffer_{};
  std::int32_t pos_ = 0;
  std::int32_t fill_ = 0;
  std::size_t current_ = 0;  // length of the packet at pos_
  bool warned_ = false;       // the half-full warning was given for this read
  Stream* stream_ = nullptr;

  std::atomic<int> sizeUnit_{1};
  std::atomic<Nanos> lastSend_{0};
  std::atomic<Nanos> pingSentTime_{0};
  std::atomic<std::uint8_t> pingOutstanding_{0};
};

// "[category (value): message]" as the console shows a system error.
std::string DescribeSystemError(const std::error_code& ec);

}  // namespace bnx::insim
