#include "platform/win32/system.hpp"

#include <windows.h>
#include <conio.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <iostream>
#include <string>

namespace bnx::platform::win32 {

void WinTimer::BeginPeriod(unsigned ms) { timeBeginPeriod(ms); }

void WinConsole::WaitAnyKey() { _getch(); }

void WinConsole::WaitEnter() {
  std::string line;
  std::getline(std::cin, line);
}

void WinShell::Open(const std::string& address) {
  ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::string WinRegistry::ReadString(const std::string& key_path, const std::string& value) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                    &key) != ERROR_SUCCESS) {
    return {};
  }
  char buffer[1024] = {};
  DWORD size = sizeof(buffer) - 1;  // room for a terminator the value may lack
  DWORD type = 0;
  const LONG rc = RegQueryValueExA(key, value.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return {};
  return std::string(buffer);
}

std::string WinHttps::Get(const std::string&, const std::string&, const std::string&, std::ostream&) {
  return {};
}

}  // namespace bnx::platform::win32
