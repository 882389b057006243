// Reads an exe's resources back the way Explorer does: the version fields, the
// icon sizes (each one decoded) and the manifest. Exit status 0 when they are
// those of a Beaconix.exe of the version given.
// Usage: version_probe.exe Beaconix.exe <version>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {
int faults = 0;

void Expect(const char* what, const std::string& got, const std::string& want) {
  std::printf("%s: %s%s\n", what, got.c_str(), got == want ? "" : ("  WRONG, expected " + want).c_str());
  if (got != want) ++faults;
}

std::string Resource(HMODULE m, WORD id, LPCSTR type) {
  HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(id), type);
  HGLOBAL g = r ? LoadResource(m, r) : nullptr;
  return g ? std::string(static_cast<const char*>(LockResource(g)), SizeofResource(m, r)) : "";
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string version = argv[2];
  std::string numbers = version;
  for (int dots = int(std::count(version.begin(), version.end(), '.')); dots < 3; ++dots) numbers += ".0";

  std::vector<char> info(GetFileVersionInfoSizeA(argv[1], nullptr));
  void* p = nullptr;
  UINT n = 0;
  if (info.empty() || !GetFileVersionInfoA(argv[1], 0, DWORD(info.size()), info.data()) ||
      !VerQueryValueA(info.data(), "\\", &p, &n)) {
    std::printf("no version resource\n");
    return 1;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(p);
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", unsigned(HIWORD(fixed->dwFileVersionMS)),
                unsigned(LOWORD(fixed->dwFileVersionMS)), unsigned(HIWORD(fixed->dwFileVersionLS)),
                unsigned(LOWORD(fixed->dwFileVersionLS)));
  Expect("file version number", text, numbers);
  Expect("file type", fixed->dwFileType == VFT_APP ? "application" : "other", "application");
  const struct { const char* name; std::string want; } fields[] = {
      {"ProductName", "Beaconix"}, {"FileVersion", version}, {"ProductVersion", version},
      {"OriginalFilename", "Beaconix.exe"}, {"FileDescription", "Beaconix - emergency lights and sirens for Live for Speed"},
      {"LegalCopyright", "Copyright (c) the Beaconix authors. MIT License."}};
  for (const auto& f : fields) {
    // Explorer looks the strings up under the language the resource declares.
    const auto* lang = static_cast<const WORD*>(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &p, &n) ? p : nullptr);
    std::snprintf(text, sizeof text, "\\StringFileInfo\\%04x%04x\\%s", lang ? lang[0] : 0, lang ? lang[1] : 0, f.name);
    Expect(f.name, VerQueryValueA(info.data(), text, &p, &n) && n ? static_cast<const char*>(p) : "(none)", f.want);
  }

  HMODULE m = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  const std::string group = m ? Resource(m, 1, MAKEINTRESOURCEA(14)) : "";  // RT_GROUP_ICON
  std::string sizes;
  for (std::size_t i = 6; i + 14 <= group.size(); i += 14) {
    // GRPICONDIRENTRY: width at 0 (0 means 256), the RT_ICON id at 12.
    const unsigned width = static_cast<unsigned char>(group[i]) ? static_cast<unsigned char>(group[i]) : 256;
    const std::string image = Resource(m, WORD(static_cast<unsigned char>(group[i + 12]) | static_cast<unsigned char>(group[i + 13]) << 8), MAKEINTRESOURCEA(3));
    HICON icon = image.empty() ? nullptr : CreateIconFromResourceEx(reinterpret_cast<PBYTE>(const_cast<char*>(image.data())),
                                                                     DWORD(image.size()), TRUE, 0x00030000, 0, 0, 0);
    if (!sizes.empty()) sizes += ' ';
    sizes += std::to_string(width);
    if (!icon) sizes += "(unreadable)";
    DestroyIcon(icon);
  }
  Expect("icon sizes", sizes, "16 24 32 48 64 256");
  const std::string manifest = m ? Resource(m, 1, MAKEINTRESOURCEA(24)) : "";  // RT_MANIFEST
  Expect("manifest asks for", manifest.find("level=\"asInvoker\"") != std::string::npos ? "asInvoker" : "(other)", "asInvoker");
  Expect("manifest names Windows 10", manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}") != std::string::npos ? "yes" : "no", "yes");
  return faults == 0 ? 0 : 1;
}
