#include "app/lfs_setup.hpp"

#include "config/line_reader.hpp"

#include <exception>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace bnx {
namespace {

// Only the first 255 characters of a line are matched: that is all a pattern
// can need, and it keeps the regex engine's work per line bounded.
constexpr std::size_t kMatchedChars = 255;
constexpr unsigned long kMaxPort = 65535;
constexpr std::size_t kMaxAdminChars = 15;

bool ReadLine(std::istream& in, std::string& line, config::LineEnd& end) {
  bool tooLong;
  return config::ReadBoundedLine(in, line, kMatchedChars, tooLong, &end);
}

const std::regex& AdminPattern() {
  static const std::regex re(R"(^\s*Game Admin (.*)\s*$)", std::regex::ECMAScript);
  return re;
}

const std::regex& PortPattern() {
  static const std::regex re(R"(^\s*\/insim(?:=|=?\s+)(\d{1,5}))", std::regex::ECMAScript);
  return re;
}

// Runs `handle` on every line of `path`; an error in one line is reported and
// the scan goes on. Returns whether the file opened and read to its end; a
// file that fails a read counts as not there, whatever its lines gave.
// `lineEnd` is the file's last line end, or "\r\n" when it has none (LFS's
// files are Windows text files).
template <typename Handle>
bool ScanFile(const std::filesystem::path& path, const char* label, std::ostream& out,
              std::ostream& err, Handle handle, std::string* lineEnd = nullptr) {
  // Binary, so that a Ctrl-Z byte does not end the file on Windows.
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return false;
  std::string line;
  int number = 0;
  config::LineEnd end = config::LineEnd::kNone, lastEnd = config::LineEnd::kCrLf;
  while (in.good() && ReadLine(in, line, end)) {
    ++number;
    if (end != config::LineEnd::kNone) lastEnd = end;
    try {
      handle(line, number);
    } catch (const std::exception& e) {
      err << "Error reading " << label << " at line: " << number << ": " << e.what() << std::endl;
    } catch (...) {
      out << "ReadLFSConfig: Unknown exception\n";
    }
  }
  if (in.bad()) {
    err << "Error reading " << label << " at line: " << number + 1 << ": the file could not be read"
        << std::endl;
    return false;
  }
  if (lineEnd) *lineEnd = lastEnd == config::LineEnd::kLf ? "\n" : "\r\n";
  return true;
}

}  // namespace

LfsSetup ReadLFSConfig(Session& session, std::ostream& out, std::ostream& err) {
  std::string admin = session.adminPassword;
  if (ScanFile("cfg.txt", "cfg.txt", out, err, [&](const std::string& line, int) {
        std::smatch m;
        if (std::regex_search(line, m, AdminPattern())) admin = m[1].str();
      })) {
    session.adminPassword = admin;
    // IS_ISI's Admin field holds 15 characters: a longer password is not sent
    // at all, and all the player would see is LFS closing the connection.
    if (admin.size() > kMaxAdminChars) {
      out << "The admin password in cfg.txt is longer than " << kMaxAdminChars
          << " characters and cannot be\nsent by InSim, so LFS will close the connection: "
             "choose one of at most "
          << kMaxAdminChars << ".\n";
    }
  }

  const std::filesystem::path autoexec = std::filesystem::path("data") / "script" / "autoexec.lfs";
  bool portLine = false;
  std::string lineEnd;
  std::uint32_t port = session.insimPort;
  const bool opened = ScanFile(
      autoexec, "autoexec.lfs", out, err,
      [&](const std::string& line, int number) {
        std::smatch m;
        if (!std::regex_search(line, m, PortPattern())) return;
        portLine = true;
        const unsigned long found = std::stoul(m[1].str());
        if (found > kMaxPort) {
          // LFS cannot open such a port either; connecting to it would only fail.
          out << "InSim port " << found << " in autoexec.lfs at line " << number
              << " is above 65535 and is ignored.\n";
          return;
        }
        port = static_cast<std::uint32_t>(found);
      },
      &lineEnd);
  if (!opened) return LfsSetup::kNoAutoexec;
  session.insimPort = port;
  if (portLine) return LfsSetup::kPortLine;

  // The leading line break keeps the new line apart from a last line that has
  // no line break of its own.
  bool written = false;
  {
    std::ofstream app(autoexec, std::ios::app | std::ios::binary);
    if (app.is_open()) {
      app << lineEnd << "/insim 29999" << lineEnd << std::flush;
      app.close();
      written = !app.fail();
    }
  }
  if (!written) {
    err << "\nCould not add /insim 29999 to autoexec.lfs\n";
    return LfsSetup::kLineNotAdded;
  }
  out << "\n    Default InSim port set in autoexec.lfs\n" << std::endl;
  return LfsSetup::kLineAdded;
}

std::string WaitingForLfsText(LfsSetup setup, std::uint32_t port) {
  const std::string p = std::to_string(port);
  const std::string tail = "and connects by itself as soon as LFS\nlistens. Ctrl+C quits.\n";
  if (setup == LfsSetup::kNoAutoexec) {
    return "There is no data\\script\\autoexec.lfs here: start Beaconix from the LFS folder\n"
           "(the one with LFS.exe), where it finds LFS's InSim port and admin password.\n"
           "Beaconix keeps trying port " +
           p + " " + tail;
  }
  const char* why = setup == LfsSetup::kLineAdded
                        ? "(needed once: LFS read autoexec.lfs before the line\nwas added)."
                    : setup == LfsSetup::kPortLine
                        ? "(needed once: LFS reads autoexec.lfs only when it\nstarts)."
                        : "(each time: the line could not be added to\nautoexec.lfs).";
  return "LFS is not listening on port " + p + ". Start LFS, or if it is running, type\n/insim " +
         p + " in LFS " + why + " Beaconix keeps trying " + tail;
}

}  // namespace bnx
