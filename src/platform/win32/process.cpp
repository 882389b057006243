#include "platform/win32/process.hpp"

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <mutex>
#include <string>

namespace bnx::platform::win32 {

namespace {

// Never freed: a control event may come while the process is ending.
struct Watching {
  std::mutex mutex;
  std::function<void()> request;
  bool installed = false;
};
Watching& State() {
  static Watching* watching = new Watching;
  return *watching;
}

// Windows ends the process as soon as a handler returns from a close, log-off
// or shut-down event, and about 5 s after the event in any case. The program
// ends itself inside this wait (within 4 s, a Save being written included),
// which therefore seldom runs out.
constexpr DWORD kStopWaitMs = 4500;

BOOL WINAPI OnControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      break;
    default:
      return FALSE;
  }
  {
    Watching& w = State();
    std::lock_guard lock(w.mutex);
    if (!w.request) return FALSE;
    w.request();
  }
  Sleep(kStopWaitMs);
  return TRUE;
}

// Object names may hold a backslash only after "Local\"; longer names than
// Windows takes are replaced by a hash of the path (FNV-1a).
std::wstring MutexName(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'\\') c = L'/';
  constexpr std::size_t kMaxPath = 200;
  if (path.size() > kMaxPath) {
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : path) hash = (hash ^ std::uint16_t(c)) * 1099511628211ull;
    path.clear();
    for (int shift = 60; shift >= 0; shift -= 4) path += L"0123456789abcdef"[(hash >> shift) & 0xF];
  }
  return L"Local\\Beaconix " + path;
}

// The folder itself rather than the spelling of its path: a symbolic link, a
// junction, a subst drive and a mapped drive next to its UNC path all lead to
// one volume serial number and file index; where the file system gives no
// index, to one final path (lower case: Windows compares paths without case).
std::wstring CurrentFolder() {
  HANDLE folder = CreateFileW(L".", 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  std::wstring key;
  if (folder != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(folder, &info) &&
        (info.nFileIndexHigh | info.nFileIndexLow) != 0) {
      wchar_t id[32];
      swprintf(id, 32, L"%08lx %08lx%08lx", info.dwVolumeSerialNumber, info.nFileIndexHigh,
               info.nFileIndexLow);
      key = id;
    } else {
      const DWORD size = GetFinalPathNameByHandleW(folder, nullptr, 0, FILE_NAME_NORMALIZED);
      key.resize(size);
      const DWORD length =
          size ? GetFinalPathNameByHandleW(folder, key.data(), size, FILE_NAME_NORMALIZED) : 0;
      key.resize(length < size ? length : 0);
    }
    CloseHandle(folder);
  }
  if (key.empty()) {  // a folder that cannot be opened: its path as given
    key.resize(GetCurrentDirectoryW(0, nullptr));
    key.resize(GetCurrentDirectoryW(DWORD(key.size()), key.data()));
  }
  CharLowerBuffW(key.data(), DWORD(key.size()));
  return key;
}

}  // namespace

void WinStopSignals::Watch(std::function<void()> request) {
  Watching& w = State();
  std::lock_guard lock(w.mutex);
  w.request = std::move(request);
  if (!w.installed) w.installed = SetConsoleCtrlHandler(OnControl, TRUE) != 0;
}

void WinStopSignals::ExitNow() {
  // No DLL is told, so nothing waits for a lock that a stuck thread holds.
  TerminateProcess(GetCurrentProcess(), 0);
  ExitProcess(0);
}

bool WinFolderLock::Take() {
  const std::wstring name = MutexName(CurrentFolder());
  // The handle stays open for the life of the process; Windows closes it
  // however the process ends.
  SetLastError(ERROR_SUCCESS);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  const DWORD error = GetLastError();
  // Refused access: it exists, made by a copy that another user runs.
  if (!mutex) return error != ERROR_ACCESS_DENIED;
  if (error != ERROR_ALREADY_EXISTS) return true;
  CloseHandle(mutex);
  return false;
}

}  // namespace bnx::platform::win32
