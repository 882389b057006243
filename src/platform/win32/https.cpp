#include <windows.h>
#include <winhttp.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/win32/system.hpp"

namespace bnx::platform::win32 {

namespace {

// WinHTTP waits up to a minute per phase by default; start-up must not hang
// that long on an unreachable update host.
constexpr int kResolveMs = 1500, kConnectMs = 1500, kSendMs = 1500, kReceiveMs = 2500;
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

}  // namespace

// GET https://host/path on port 443. The status code is not looked at:
// whatever body comes back is the answer.
std::string WebRequest(const std::string& host, const std::string& path,
                       const std::string& user_agent, std::ostream& out) {
  const std::wstring wHost = Wide(host), wPath = Wide(path), wAgent = Wide(user_agent);
  std::string body;
  HINTERNET session = nullptr, connection = nullptr, request = nullptr;
  bool ok = (session = WinHttpOpen(wAgent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                   WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)) != nullptr;
  if (ok) {
    WinHttpSetTimeouts(session, kResolveMs, kConnectMs, kSendMs, kReceiveMs);
    // Waiting for the response (a proxy's answer to CONNECT included) has a
    // time-out of its own.
    DWORD responseMs = kReceiveMs;
    WinHttpSetOption(session, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseMs, sizeof responseMs);
  }
  ok = ok && (connection = WinHttpConnect(session, wHost.c_str(), INTERNET_DEFAULT_HTTPS_PORT, 0));
  ok = ok && (request = WinHttpOpenRequest(connection, L"GET", wPath.c_str(), nullptr,
                                           WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                           WINHTTP_FLAG_SECURE));
  ok = ok && WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                                0, 0, 0);
  ok = ok && WinHttpReceiveResponse(request, nullptr);
  if (!ok) {
    out << "WebRequest: Error " << int(GetLastError()) << " has occurred.\n" << std::flush;
  } else {
    DWORD size = 0;
    do {
      size = 0;
      if (!WinHttpQueryDataAvailable(request, &size)) {
        out << "WebRequest: Error " << GetLastError() << " in WinHttpQueryDataAvailable.\n";
      }
      std::vector<char> buffer(std::size_t(size) + 1, '\0');
      DWORD read = 0;
      if (WinHttpReadData(request, buffer.data(), size, &read)) {
        body += buffer.data();
      } else {
        out << "WebRequest: Error " << GetLastError() << " in WinHttpReadData.\n";
      }
    } while (size != 0 && body.size() < kMaxBody);
    out << std::flush;
  }
  if (request) WinHttpCloseHandle(request);
  if (connection) WinHttpCloseHandle(connection);
  if (session) WinHttpCloseHandle(session);
  return body;
}

std::string WinHttps::Get(const std::string& host, const std::string& path,
                          const std::string& user_agent, std::ostream& out) {
  return WebRequest(host, path, user_agent, out);
}

}  // namespace bnx::platform::win32
