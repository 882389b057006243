// libFuzzer target for what Beaconix reads from disk: Beaconix.cfg and LFS's cfg.txt
// and autoexec.lfs. Besides "no crash, no hang, no sanitizer report" it aborts when
//   - whatever a file reads as, writing that record and reading it back does not give
//     the same record, and the same text, without a message;
//   - a file that reads without a message loses a line: every line is then in what a
//     save writes, or is one of the forms a save writes otherwise; a save keeps a .bak
//     of a file exactly when its reading said something;
//   - the hand-written binding-line matcher disagrees with the format's regexes;
//   - autoexec.lfs is not left as it was or changed other than by "\n/insim 29999\n"
//     (or the same with CR LF).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <sstream>
#include <string>

#include "app/lfs_setup.hpp"
#include "config/base64.hpp"
#include "config/config_file.hpp"
#include "config/config_format.hpp"
#include "input/keys.hpp"

namespace fs = std::filesystem;
using namespace bnx;

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "property failed: %s\n", what);
  std::abort();
}

bool SameFileFields(const Config& a, const Config& b) {
  return a.bindings == b.bindings && a.activeSirenMode == b.activeSirenMode &&
         a.sirenBehaviour == b.sirenBehaviour && a.modeCategory == b.modeCategory &&
         a.lightsMode == b.lightsMode && a.options == b.options;
}

void WriteFile(const fs::path& p, std::string_view text) {
  std::ofstream(p, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void ConfigRoundTrip(const Config& first) {
  std::ostringstream written;
  config::WriteConfig(first, written);
  std::istringstream in(written.str());
  std::ostringstream err, again;
  Config second;
  Check(config::ReadConfig(second, in, err) == config::LoadResult::kLoaded, "a written file loads");
  Check(err.str().empty(), "a written file reads without a message");
  Check(SameFileFields(first, second), "read, write, read gives the same record");
  config::WriteConfig(second, again);
  Check(again.str() == written.str(), "a written file is written again byte for byte");
}

void SilentMeansKept(std::string_view text, const Config& cfg) {
  std::ostringstream written;
  config::WriteConfig(cfg, written);
  const std::string saved = "\n" + written.str();
  static const std::regex otherwise(R"(v:\d|o:[0-7]|m:[5-7]|l:0|o:[89]:0)");
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end);
    if (text.starts_with("\r\n")) text.remove_prefix(1);
    if (!text.empty()) text.remove_prefix(1);
    constexpr std::string_view kBlank = " \t\n\v\f\r";
    line.remove_prefix(std::min(line.find_first_not_of(kBlank), line.size()));
    line.remove_suffix(line.size() - (line.find_last_not_of(kBlank) + 1));
    const std::string l(line);
    if (l.empty() || std::regex_match(l, otherwise)) continue;
    if (l[0] == 'k' || l[0] == 'b' || l[0] == 'p')
      Check(config::ParseBindingLine(l).function != fn::kNone, "a binding read without a message loads");
    else
      Check(saved.find("\n" + l + "\n") != std::string::npos, "a setting read without a message is saved as written");
  }
}

Binding ReferenceParse(const std::string& line) {
  static const std::regex k(R"(^k:([a-z0-9]{3,8}):([0-9]{1,3})$)");
  static const std::regex b(R"(^b:([a-z0-9]{3,8}):\{([A-Z0-9-]+)\}:((?:[A-Za-z0-9+\/]+={0,2})?):(\d{1,3})$)");
  static const std::regex p(
      R"(^p:([a-z0-9]{3,8}):\{([A-Z0-9-]+)\}:((?:[A-Za-z0-9+\/]+={0,2})?):(\d):(\d{1,3})$)");
  std::smatch m;
  Binding r;
  if (std::regex_match(line, m, k)) {
    r.keys = {static_cast<std::uint32_t>(std::stoi(m[2]))};
    if (!input::FindKey(r.keys[0])) return {};
  } else if (std::regex_match(line, m, b)) {
    r.buttons = {static_cast<std::uint32_t>(std::stoi(m[4]))};
  } else if (std::regex_match(line, m, p)) {
    r.povs = {{static_cast<std::uint32_t>(std::stoi(m[4])), static_cast<std::uint32_t>(std::stoi(m[5]))}};
    if (r.povs[0].index > 3) return {};
  } else {
    return {};
  }
  r.function = config::FunctionFromKey(m[1].str());
  if (r.function == fn::kNone) return {};
  if (line[0] != 'k') {
    r.deviceGuid = m[2];
    r.deviceName = config::Base64Decode(m[3].str());
  }
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::random_device rd;
  const fs::path dir = fs::temp_directory_path() / ("bnx-fuzz-" + std::to_string(rd()) + std::to_string(rd()));
  fs::create_directories(dir / "data" / "script");
  fs::current_path(dir);
  std::atexit([] {
    std::error_code ec;
    fs::remove_all(fs::current_path(), ec);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::ostringstream out, err;
  switch (data[0] % 4) {
    case 0: {  // Beaconix.cfg from memory
      std::istringstream in{std::string(rest)};
      Config cfg;
      config::ReadConfig(cfg, in, err);
      ConfigRoundTrip(cfg);
      if (err.str().empty()) SilentMeansKept(rest, cfg);
      break;
    }
    case 1: {  // Beaconix.cfg through the file, and saved back
      WriteFile("Beaconix.cfg", rest);
      fs::remove("Beaconix.cfg.bak");
      Config cfg;
      const bool reported = config::LoadConfig(cfg, "Beaconix.cfg", err) != config::LoadResult::kLoaded || !err.str().empty();
      Check(config::SaveConfig(cfg, "Beaconix.cfg", err) == config::SaveResult::kWritten, "save");
      Check(fs::exists("Beaconix.cfg.bak") == (reported && !rest.empty()), "the file is kept exactly when it was reported");
      Config back;
      Check(config::LoadConfig(back, "Beaconix.cfg", err) == config::LoadResult::kLoaded, "reload");
      Check(SameFileFields(cfg, back), "save and reload give the same record");
      break;
    }
    case 2: {  // one binding line against the patterns
      if (rest.size() > 300) break;  // the regex engine's stack, not ours, is the limit
      const std::string line(rest);
      Check(config::ParseBindingLine(line) == ReferenceParse(line), "matcher agrees with the patterns");
      break;
    }
    default: {  // cfg.txt and autoexec.lfs: the first "\x01" splits them
      const std::size_t cut = rest.find('\x01');
      const std::string_view cfgTxt = rest.substr(0, cut);
      const std::string_view autoexec = cut == std::string_view::npos ? std::string_view{} : rest.substr(cut + 1);
      const fs::path script = fs::path("data") / "script" / "autoexec.lfs";
      WriteFile("cfg.txt", cfgTxt);
      WriteFile(script, autoexec);
      Session session;
      ReadLFSConfig(session, out, err);
      const std::string after = ReadFile(script), kept(autoexec);
      Check(after == kept || after == kept + "\n/insim 29999\n" || after == kept + "\r\n/insim 29999\r\n", "autoexec.lfs kept");
      Check(session.insimPort <= 65535, "port in range");
      break;
    }
  }
  return 0;
}
