#include "insim/link.hpp"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ostream>
#include <stdexcept>
#include <system_error>
#include <utility>

#include <asio/connect.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>

namespace bnx::insim {

namespace {
constexpr std::uint8_t kLastClickId = 239;  // the highest that LFS takes
}  // namespace

std::string DescribeSystemError(const std::error_code& ec) {
  return "[" + std::string(ec.category().name()) + " (" + std::to_string(ec.value()) +
         "): " + ec.message() + "]";
}

InSimLink::InSimLink(platform::Timer& timer, std::ostream& out, std::ostream& err)
    : timer_(timer), out_(out), err_(err), socket_(io_) {}

InSimLink::~InSimLink() {
  if (writer_.joinable()) Close();
  std::error_code ignored;
  socket_.close(ignored);
}

void InSimLink::SetPort(std::uint32_t configPort) {
  port_ = configPort == 0 ? 29999 : configPort <= 65535 ? std::uint16_t(configPort) : 0;
}

void InSimLink::SetAdmin(std::string_view password) {
  // A password that does not fit is not sent at all rather than cut.
  isi_.admin = password.size() < kIsiTextWidth ? password : "";
}

void InSimLink::SetIName(std::string_view name) { isi_.iname = name; }

void InSimLink::SetSizeUnit(bool version9) {
  sizeUnit_ = version9 ? 4 : 1;
  isi_.insimVer = version9 ? 9 : 8;
}

ConnectResult InSimLink::Connect() {
  pos_ = fill_ = 0;
  current_ = 0;
  try {
    asio::ip::tcp::resolver resolver(io_);
    auto endpoints = resolver.resolve(asio::ip::tcp::v4(), host_, std::to_string(port_));
    asio::connect(socket_, endpoints);
    socket_.set_option(asio::ip::tcp::no_delay(true));
    const auto isi = EncodeIsi(isi_, sizeUnit_);
    asio::write(socket_, asio::buffer(isi.data(), std::size_t(isi[0]) * sizeUnit_));
    lastSend_.store(timer_.Now());
    writer_ = std::thread(&InSimLink::WriteLoop, this);
    return ConnectResult::kConnected;
  } catch (const std::system_error& e) {
    if (e.code() == asio::error::connection_refused) return ConnectResult::kRefused;
    err_ << DescribeSystemError(e.code()) << "\n\t" << e.what() << std::endl;
  } catch (const std::exception& e) {
    err_ << e.what() << std::endl;
  }
  return ConnectResult::kFailed;
}

std::size_t InSimLink::ReadSome(std::uint8_t* data, std::size_t size) {
  if (stream_) return stream_->ReadSome(data, size);
  {
    std::lock_guard lock(readLock_);
    if (ending_) return 0;
    reading_ = true;
  }
  struct Ended {
    InSimLink& link;
    ~Ended() {
      {
        std::lock_guard lock(link.readLock_);
        link.reading_ = false;
      }
      link.readEnded_.notify_all();
    }
  } ended{*this};
  return socket_.read_some(asio::buffer(data, size));
}

void InSimLink::QueueLocked(const std::uint8_t* data, std::size_t n) {
  if (left_ || failed_) return;
  if (queue_.size() + n > kSendQueueLimit) {
    Fail(std::make_exception_ptr(
        std::runtime_error("LFS stopped reading: the connection is ended.")));
    return;
  }
  queue_.insert(queue_.end(), data, data + n);
}

void InSimLink::Fail(std::exception_ptr error) {
  if (failed_) return;
  failed_ = true;
  failure_ = error;
  std::vector<std::uint8_t>().swap(queue_);
  wake_.notify_all();
  idle_.notify_all();
}

void InSimLink::Queued(std::unique_lock<std::mutex>& lock) {
  if (stream_ && !held_) FlushStream();
  const std::exception_ptr failure = std::exchange(failure_, nullptr);
  // A click that sent nothing wakes no one: a wake costs a system call.
  const bool ready = !held_ && !queue_.empty();
  lock.unlock();
  if (failure) {
    if (onFailure_) onFailure_(failure);
    return;
  }
  if (ready) wake_.notify_one();
}

void InSimLink::FlushStream() {
  if (queue_.empty() || failed_) return;
  try {
    stream_->Write(queue_.data(), queue_.size());
    queue_.clear();
    lastSend_.store(timer_.Now());
  } catch (...) {
    Fail(std::current_exception());
  }
}

void InSimLink::WriteLoop() {
  std::vector<std::uint8_t> batch;
  std::unique_lock lock(sendLock_);
  for (;;) {
    wake_.wait(lock, [this] { return failed_ || closing_ || (!held_ && !queue_.empty()); });
    if (failed_ || queue_.empty()) break;
    // The queue takes the batch's emptied buffer back: no allocation once warm.
    batch.swap(queue_);
    writing_ = true;
    lock.unlock();
    std::exception_ptr error;
    try {
      asio::write(socket_, asio::buffer(batch));
      lastSend_.store(timer_.Now());
    } catch (...) {
      error = std::current_exception();
    }
    batch.clear();
    lock.lock();
    writing_ = false;
    if (error) Fail(error);
    idle_.notify_all();
    if (const std::exception_ptr failure = std::exchange(failure_, nullptr)) {
      lock.unlock();
      if (onFailure_) onFailure_(failure);
      return;
    }
  }
}

void InSimLink::SendPacket(std::span<const std::uint8_t> packet) {
  const std::uint8_t size = packet.size() > 0 ? packet[0] : 0;
  const std::uint8_t type = packet.size() > 1 ? packet[1] : 0;
  std::unique_lock lock(sendLock_);
  const std::size_t n = std::size_t(size) * sizeUnit_;
  if (size == 0 || type == 0) {
    throw std::runtime_error("SendPacket Error: size [" + std::to_string(size) + "] or type [" +
                             std::to_string(type) + "] is empty");
  }
  if (n > packet.size()) {
    throw std::runtime_error("SendPacket Error: size [" + std::to_string(size) +
                             "] is more than the " + std::to_string(packet.size()) +
                             " bytes given");
  }
  QueueLocked(packet.data(), n);
  Queued(lock);
}

void InSimLink::SendTiny(std::uint8_t reqi, std::uint8_t subt) {
  std::unique_lock lock(sendLock_);
  QueueLocked(EncodeTiny({reqi, subt}, sizeUnit_));
  Queued(lock);
}

void InSimLink::SendSmall(std::uint8_t subt, std::uint32_t uval) {
  std::unique_lock lock(sendLock_);
  QueueLocked(EncodeSmall(subt, uval, sizeUnit_));
  Queued(lock);
}

void InSimLink::SendButton(const Button& b) {
  std::unique_lock lock(sendLock_);
  QueueLocked(btn_.data(), EncodeButton(b, sizeUnit_, btn_));
  Queued(lock);
}

void InSimLink::SendDeleteButtons(std::uint8_t ucid, std::uint8_t clickId, std::uint8_t clickMax) {
  std::unique_lock lock(sendLock_);
  QueueLocked(EncodeBfn({bfn::kDelBtn, ucid, clickId, clickMax}, sizeUnit_));
  Queued(lock);
}

bool InSimLink::SendLocalMessage(std::string_view text, std::uint8_t sound) {
  SendPacket(EncodeMsl(text, sound, sizeUnit_));
  return text.size() > kMslTextMax;
}

void InSimLink::Hold() {
  std::lock_guard lock(sendLock_);
  held_ = true;
}

void InSimLink::Release() {
  std::unique_lock lock(sendLock_);
  held_ = false;
  Queued(lock);
}

bool InSimLink::RecvPacket() {
  pos_ += std::int32_t(current_);
  current_ = 0;
  if (pos_ >= fill_) {
    fill_ = std::int32_t(ReadSome(buffer_.data(), buffer_.size()));
    pos_ = 0;
    warned_ = false;
    if (fill_ <= 0) return false;
  }
  // Move an incomplete packet to the front only when more bytes are needed.
  auto need = [&]() -> std::size_t { return std::size_t(buffer_[pos_]) * sizeUnit_; };
  while (fill_ - pos_ < 1 || std::size_t(fill_ - pos_) < need()) {
    if (fill_ - pos_ >= 1 && buffer_[pos_] == 0) break;
    std::memmove(buffer_.data(), buffer_.data() + pos_, std::size_t(fill_ - pos_));
    fill_ -= pos_;
    pos_ = 0;
    warned_ = false;
    const std::size_t got = ReadSome(buffer_.data() + fill_, buffer_.size() - std::size_t(fill_));
    if (got == 0) return false;
    fill_ += std::int32_t(got);
  }
  if (buffer_[pos_] == 0) {
    // A zero Size would hand out the same bytes for ever.
    fill_ = pos_ = 0;
    throw std::runtime_error("InSim protocol error: received a packet of Size 0");
  }
  current_ = need();
  if (current_ >= len::kTiny && PacketType(Packet()) == type::kTiny &&
      DecodeTiny(Packet()).subt == tiny::kNone) {
    SendTiny(0, tiny::kNone);
  }
  // Once per read: a burst of small packets would otherwise print a line each.
  if (pos_ > std::int32_t(kRecvBufferSize / 2) && !warned_) {
    warned_ = true;
    out_ << "WARN: RecvPacket: buffer over 50% " << pos_ << std::endl;
  }
  return true;
}

void InSimLink::SwitchInSimVersion(bool version9) {
  // The close in the old size unit, all that follows in the new one.
  std::unique_lock lock(sendLock_);
  QueueLocked(EncodeTiny({0, tiny::kClose}, sizeUnit_));
  if (stream_ && !held_) FlushStream();  // a stream is written a size unit at a time
  SetSizeUnit(version9);
  Queued(lock);
}

void InSimLink::SendPingIfIdle(std::uint8_t reqi, Nanos now) {
  constexpr Nanos kIdle = 10'000'000'000;
  if (pingOutstanding_.load() != 0 || now - lastSend_.load() <= kIdle) return;
  // Marked before sending: a reply can arrive on the receive thread before
  // SendTiny returns, and must find the ping outstanding.
  pingSentTime_.store(now);
  pingOutstanding_.store(reqi);
  SendTiny(reqi, tiny::kPing);
}

void InSimLink::PingAnswered(std::uint8_t reqi) {
  std::uint8_t expected = reqi;
  pingOutstanding_.compare_exchange_strong(expected, 0);
}

void InSimLink::Leave() {
  std::unique_lock lock(sendLock_);
  QueueLocked(EncodeBfn({bfn::kDelBtn, 0, 0, kLastClickId}, sizeUnit_));
  QueueLocked(EncodeTiny({0, tiny::kClose}, sizeUnit_));
  // A button or light queued after this, by a click handled meanwhile, could
  // stay on LFS's screen: there is no one left to remove it.
  left_ = true;
  Queued(lock);
}

void InSimLink::Close() {
  // What is queued (a leave's last packets) goes first, unless LFS takes
  // nothing. The shutdown then ends a blocked read (or write) natively. Under
  // Wine a read waits for LFS to close its end, which it may never do: closing
  // the socket ends it there. Not at once, so that a read the shutdown has
  // woken is never closed under, and LFS can close first after a TINY_CLOSE.
  constexpr auto kDrainWait = std::chrono::milliseconds(200);
  constexpr auto kEndWait = std::chrono::milliseconds(100);
  std::unique_lock send(sendLock_);
  left_ = closing_ = true;
  if (stream_) FlushStream();
  wake_.notify_all();
  idle_.wait_for(send, kDrainWait, [this] { return failed_ || (queue_.empty() && !writing_); });
  send.unlock();
  std::error_code ignored;
  std::unique_lock read(readLock_);
  ending_ = true;
  socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  const auto deadline = std::chrono::steady_clock::now() + kEndWait;
  const bool readEnded = readEnded_.wait_until(read, deadline, [this] { return !reading_; });
  read.unlock();
  send.lock();
  const bool writeEnded = idle_.wait_until(send, deadline, [this] { return !writing_; });
  send.unlock();
  if (!readEnded || !writeEnded) socket_.close(ignored);
  if (writer_.joinable() && writer_.get_id() != std::this_thread::get_id()) writer_.join();
}

}  // namespace bnx::insim
