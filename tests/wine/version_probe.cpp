// Reads an exe's resources back as Explorer does: version fields, icon sizes
// (each one decoded), manifest. Exit 0 when they are Beaconix.exe's of <version>.
// Usage: version_probe.exe Beaconix.exe <version> <copyright>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {
int faults = 0;

void Expect(const char* what, const std::string& got, const std::string& want) {
  const bool ok = got == want;
  std::printf("%s: %s%s%s\n", what, got.c_str(), ok ? "" : "  WRONG, expected ", ok ? "" : want.c_str());
  faults += ok ? 0 : 1;
}

std::string Resource(HMODULE m, unsigned id, unsigned type) {
  HRSRC r = m ? FindResourceA(m, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type)) : nullptr;
  HGLOBAL g = r ? LoadResource(m, r) : nullptr;
  return g ? std::string(static_cast<const char*>(LockResource(g)), SizeofResource(m, r)) : "";
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  std::string version = argv[2], numbers = version;
  while (std::count(numbers.begin(), numbers.end(), '.') < 3) numbers += ".0";
  std::vector<char> info(GetFileVersionInfoSizeA(argv[1], nullptr) + 1);
  void *p = nullptr, *lang = nullptr;
  UINT n = 0;
  if (!GetFileVersionInfoA(argv[1], 0, DWORD(info.size()), info.data()) || !VerQueryValueA(info.data(), "\\", &p, &n) ||
      !VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &lang, &n))
    return std::puts("no version resource"), 1;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(p);
  char text[96];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  Expect("file version number", text, numbers);
  for (const auto& [name, want] : {std::pair<const char*, std::string>{"ProductName", "Beaconix"},
           {"FileVersion", version}, {"ProductVersion", version}, {"OriginalFilename", "Beaconix.exe"},
           {"FileDescription", "Beaconix - emergency lights and sirens for Live for Speed"},
           {"LegalCopyright", argv[3]}}) {
    const auto* id = static_cast<const WORD*>(lang);  // the language declared, as Explorer looks them up
    std::snprintf(text, sizeof text, "\\StringFileInfo\\%04x%04x\\%s", id[0], id[1], name);
    Expect(name, VerQueryValueA(info.data(), text, &p, &n) && n ? static_cast<const char*>(p) : "(none)", want);
  }

  HMODULE m = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  const std::string group = Resource(m, 1, 14), manifest = Resource(m, 1, 24);  // RT_GROUP_ICON, RT_MANIFEST
  std::string sizes;
  for (std::size_t i = 6; i + 14 <= group.size(); i += 14) {  // GRPICONDIRENTRY: width (0 is 256), ..., RT_ICON id
    std::string image = Resource(m, std::uint8_t(group[i + 12]) | std::uint8_t(group[i + 13]) << 8, 3);
    HICON icon = CreateIconFromResourceEx(reinterpret_cast<BYTE*>(image.data()), DWORD(image.size()), TRUE, 0x00030000,
                                          0, 0, 0);
    if (!sizes.empty()) sizes += ' ';
    sizes += std::to_string(std::uint8_t(group[i]) ? std::uint8_t(group[i]) : 256) + (icon ? "" : "(unreadable)");
    DestroyIcon(icon);
  }
  Expect("icon sizes", sizes, "16 24 32 48 64 256");
  Expect("manifest", manifest.find("level=\"asInvoker\"") != std::string::npos &&
                             manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}") != std::string::npos
                         ? "asInvoker, Windows 10" : "(other)", "asInvoker, Windows 10");
  return faults == 0 ? 0 : 1;
}
