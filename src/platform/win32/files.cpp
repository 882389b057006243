#include <windows.h>

#include <string>

#include "platform/files.hpp"

namespace bnx::platform {

namespace fs = std::filesystem;

// The runtime's std::filesystem sees no links on Windows (it has no lstat);
// the system names the file an open handle reached, links followed, under
// Windows and Wine alike.
fs::path FileBehindLinks(const fs::path& path) {
  const HANDLE file =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;
  std::wstring name(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(file, name.data(), DWORD(name.size()), FILE_NAME_NORMALIZED);
  if (n >= name.size()) {
    name.resize(n);
    n = GetFinalPathNameByHandleW(file, name.data(), DWORD(name.size()), FILE_NAME_NORMALIZED);
  }
  CloseHandle(file);
  if (n == 0 || n >= name.size()) return path;
  name.resize(n);
  // "\\?\C:\..." and "\\?\UNC\server\..." in the spelling players know.
  if (name.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + name.substr(8);
  if (name.starts_with(L"\\\\?\\")) return name.substr(4);
  return name;
}

}  // namespace bnx::platform
