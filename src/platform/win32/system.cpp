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

}  // namespace bnx::platform::win32
