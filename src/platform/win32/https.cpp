#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/system.hpp"

namespace bnx::platform::win32 {

namespace {

using Clock = std::chrono::steady_clock;

// WinHTTP waits up to a minute per phase by default; start-up must not hang
// that long on an unreachable update host.
constexpr int kResolveMs = 1500, kConnectMs = 1500, kSendMs = 1500, kReceiveMs = 2500;
// The per-phase limits restart with every byte, so a host that trickles its
// answer would hold start-up for as long as it likes: the whole exchange has
// one deadline too.
constexpr auto kDeadline = std::chrono::milliseconds(5000);
// An answer is a few short lines; a host that never stops sending is cut off.
constexpr std::size_t kMaxBody = 1 << 20;

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(std::size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), n);
  return wide;
}

// What the exchange's thread hands to the caller. Shared, so that a thread the
// caller has stopped waiting for still has it when its last call returns.
struct Exchange {
  Clock::time_point deadline;
  std::mutex lock;
  std::condition_variable ended;
  bool finished = false, late = false, abandoned = false;
  std::string body, report;

  bool Over() {
    std::lock_guard<std::mutex> hold(lock);
    return abandoned || Clock::now() >= deadline;
  }
};

void Run(const std::shared_ptr<Exchange>& x, const std::string& host, const std::string& path,
         const std::string& user_agent) {
  const std::wstring wHost = Wide(host), wPath = Wide(path), wAgent = Wide(user_agent);
  std::ostringstream out;
  std::string body;
  bool late = false;
  HINTERNET session = nullptr, connection = nullptr, request = nullptr;
  bool ok = (session = WinHttpOpen(wAgent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                   WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)) != nullptr;
  if (ok) {
    WinHttpSetTimeouts(session, kResolveMs, kConnectMs, kSendMs, kReceiveMs);
    // Waiting for the response (a proxy's answer to CONNECT included) has a
    // time-out of its own.
    DWORD responseMs = kReceiveMs;
    WinHttpSetOption(session, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseMs,
                     sizeof responseMs);
  }
  ok = ok && (connection = WinHttpConnect(session, wHost.c_str(), INTERNET_DEFAULT_HTTPS_PORT, 0));
  ok = ok &&
       (request = WinHttpOpenRequest(connection, L"GET", wPath.c_str(), nullptr, WINHTTP_NO_REFERER,
                                     WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
  ok = ok && WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                                0, 0, 0);
  ok = ok && WinHttpReceiveResponse(request, nullptr);
  if (!ok) {
    out << "WebRequest: Error " << int(GetLastError()) << " has occurred.\n";
  } else {
    DWORD size = 0;
    do {
      if (x->Over()) {
        late = true;
        break;
      }
      size = 0;
      if (!WinHttpQueryDataAvailable(request, &size)) {
        out << "WebRequest: Error " << GetLastError() << " in WinHttpQueryDataAvailable.\n";
      }
      std::vector<char> buffer(std::size_t(size) + 1, '\0');
      DWORD read = 0;
      if (WinHttpReadData(request, buffer.data(), size, &read)) {
        // Every byte, a zero byte too: the native build sees the same answer.
        body.append(buffer.data(), read);
      } else {
        out << "WebRequest: Error " << GetLastError() << " in WinHttpReadData.\n";
      }
    } while (size != 0 && body.size() < kMaxBody);
  }
  if (request) WinHttpCloseHandle(request);
  if (connection) WinHttpCloseHandle(connection);
  if (session) WinHttpCloseHandle(session);
  std::lock_guard<std::mutex> hold(x->lock);
  x->body = std::move(body);
  x->report = out.str();
  x->late = late;
  x->finished = true;
  x->ended.notify_all();
}

}  // namespace

// GET https://host/path on port 443. The status code is not looked at:
// whatever body comes back is the answer; an answer not complete by the
// deadline is none. The exchange runs on a thread of its own, since a WinHTTP
// call that blocks cannot be cut short: at the deadline the caller goes on,
// and the thread ends by itself after its current call.
std::string WebRequest(const std::string& host, const std::string& path,
                       const std::string& user_agent, std::ostream& out) {
  auto x = std::make_shared<Exchange>();
  x->deadline = Clock::now() + kDeadline;
  try {
    std::thread(Run, x, host, path, user_agent).detach();
  } catch (const std::system_error&) {
    Run(x, host, path, user_agent);  // no thread to spare: the reads still stop at the deadline
  }
  std::unique_lock<std::mutex> hold(x->lock);
  const bool finished = x->ended.wait_until(hold, x->deadline, [&] { return x->finished; });
  x->abandoned = !finished;
  const bool late = !finished || x->late;
  const std::string report = finished ? x->report : std::string();
  std::string body = late ? std::string() : std::move(x->body);
  hold.unlock();
  out << report;
  if (late) out << "Update check: the update host did not answer in time.\n";
  out << std::flush;
  return body;
}

std::string WinHttps::Get(const std::string& host, const std::string& path,
                          const std::string& user_agent, std::ostream& out) {
  return WebRequest(host, path, user_agent, out);
}

}  // namespace bnx::platform::win32
