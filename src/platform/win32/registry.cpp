#include <windows.h>

#include <string>

#include "platform/win32/system.hpp"

namespace bnx::platform::win32 {

// A REG_SZ value under HKEY_LOCAL_MACHINE in the 64-bit view; empty when the
// key or value is missing or of another type.
std::string ReadRegistryString(const std::string& key_path, const std::string& value) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                    &key) != ERROR_SUCCESS) {
    return {};
  }
  char buffer[1024] = {};
  DWORD size = sizeof(buffer) - 1;  // room for a terminator the value may lack
  DWORD type = 0;
  const LONG rc =
      RegQueryValueExA(key, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return {};
  return std::string(buffer);
}

std::string WinRegistry::ReadString(const std::string& key_path, const std::string& value) {
  return ReadRegistryString(key_path, value);
}

}  // namespace bnx::platform::win32
