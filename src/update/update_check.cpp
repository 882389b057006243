#include "update/update_check.hpp"

#include <exception>
#include <ostream>
#include <regex>
#include <string_view>
#include <vector>

#ifndef BEACONIX_UPDATE_HOST
#define BEACONIX_UPDATE_HOST "update.beaconix-lfs.net"
#endif
#ifndef BEACONIX_WEB_SITE
#define BEACONIX_WEB_SITE "https://www.beaconix-lfs.net"
#endif
#ifndef BEACONIX_VARIANT_TAG
#define BEACONIX_VARIANT_TAG ""
#endif

namespace bnx::update {

namespace {

constexpr const char* kRequestPath = "/version/";
constexpr std::size_t kMaxVersion = 24;

// Version lines are short. The regex engine recurses per character matched,
// so a long line (an HTML page on one line) could exhaust the stack: lines
// longer than this are not searched.
constexpr std::size_t kMaxLine = 256;

std::string ChannelName(std::uint32_t channel) {
  switch (channel) {
    case 0:
      return "Release";
    case 1:
      return "Beta";
    case 2:
      return "Dev";
    default:
      return "";
  }
}

// Every rule describes one line, with ECMAScript's line ends (LF and CR):
// matching line by line finds what a multiline search of the whole answer
// would. Every rule begins with "Beaconix-", so no other line can match.
std::vector<std::string_view> Lines(std::string_view body) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= body.size(); ++i) {
    if (i == body.size() || body[i] == '\n' || body[i] == '\r') {
      const std::string_view line = body.substr(start, i - start);
      if (line.size() <= kMaxLine && line.starts_with("Beaconix-")) lines.push_back(line);
      start = i + 1;
    }
  }
  return lines;
}

struct Rule {
  std::regex re;
  bool hasValue;
};

struct Found {
  bool found = false;
  std::string value;
};

Found Search(const Rule& rule, const std::vector<std::string_view>& lines) {
  for (const std::string_view line : lines) {
    std::match_results<std::string_view::const_iterator> m;
    if (std::regex_search(line.begin(), line.end(), m, rule.re)) {
      return {true, rule.hasValue ? m[1].str() : std::string()};
    }
  }
  return {};
}

// The rules that do not depend on the build's variant, compiled once. The
// answer may also carry LatestBetaVersion, LatestDevVersion, XBeta and XDev
// lines; they change nothing, so they are not looked for.
struct FixedRules {
  Rule latest, refused;
};

const FixedRules& Fixed() {
  constexpr auto flags = std::regex::ECMAScript;
  static const FixedRules rules{
      {std::regex("^Beaconix-LatestVersion:(.+)$", flags), true},
      // The program version goes in as it is: its dots match any character.
      {std::regex(std::string("^Beaconix-DoNotUseVersion:") + kProgramVersion + "$", flags), false},
  };
  return rules;
}

}  // namespace

bool PlausibleVersion(std::string_view text) {
  if (text.empty() || text.size() > kMaxVersion) return false;
  for (const unsigned char c : text)
    if (c <= ' ' || c > '~' || c == '^') return false;
  return true;
}

const char* WebSite() { return BEACONIX_WEB_SITE; }

const UpdateSite& BuildSite() {
  static const UpdateSite site{BEACONIX_UPDATE_HOST, BEACONIX_WEB_SITE "/Beaconix",
                               BEACONIX_WEB_SITE "/BeaconixBeta", BEACONIX_WEB_SITE "/BeaconixDev",
                               BEACONIX_VARIANT_TAG};
  return site;
}

std::string UserAgent(const WindowsInfo& info) {
  return std::string("Beaconix/") + kProgramVersion + " (" + info.build +
         (info.is64Bit ? "x64" : "x86") + ")";
}

int CheckForUpdates(const WindowsInfo& info, Notice& notice, platform::Https& https,
                    std::ostream& out, const UpdateSite& site) {
  const std::string body = https.Get(site.host, kRequestPath, UserAgent(info), out);
  return ReadUpdateAnswer(body, notice, out, site);
}

int ReadUpdateAnswer(const std::string& body, Notice& notice, std::ostream& out,
                     const UpdateSite& site) {
  int result = 0;
  try {
    const FixedRules& rules = Fixed();
    const std::vector<std::string_view> lines = Lines(body);
    Found latest = Search(rules.latest, lines);
    const Found refused = Search(rules.refused, lines);
    Found variant;
    if (!site.variantTag.empty()) {
      const Rule cv{
          std::regex("^Beaconix-LatestCV:" + site.variantTag + ":(.+)$", std::regex::ECMAScript),
          true};
      variant = Search(cv, lines);
    }
    // A version goes to the console and into LFS's chat: one that could
    // recolour, clear or switch the code page there counts as no answer.
    bool unreadable = false;
    for (Found* f : {&latest, &variant}) {
      if (f->value.empty() || PlausibleVersion(f->value)) continue;
      f->value.clear();
      unreadable = true;
    }
    if (unreadable) out << "Update check: the update host sent an unreadable version.\n";

    if (!latest.value.empty() && latest.value != kProgramVersion) {
      notice.newVersion = latest.value;
      notice.page = site.releasePage;
    }
    if (!site.variantTag.empty() && !variant.value.empty() && variant.value != kProgramVersion) {
      notice.variantVersion = variant.value;
    }
    if (refused.found) {
      out << "***  Your version of Beaconix has been blacklisted.  ***\n"
          << "***       This version can no-longer be used.        ***\n\n";
      // Without a newer version named there would be no page to open.
      if (notice.page.empty()) notice.page = site.releasePage;
      result = 1;
    }
    if (!site.variantTag.empty()) {
      if (!notice.variantVersion.empty()) {
        out << "***  There is a new version of Beaconix available ***\n"
            << "     Download the latest version at: " << site.releasePage << "\n\n";
      }
    } else if (!notice.newVersion.empty()) {
      out << "***  There is a new " << ChannelName(notice.channel)
          << " version of Beaconix available: " << notice.newVersion << "  ***\n"
          << "     Download the latest version at: " << notice.page << "\n\n";
    }
  } catch (const std::exception& e) {
    out << "Error checking for updates:\n" << e.what() << "\n\n";
  }
  out << std::flush;
  return result;
}

}  // namespace bnx::update
