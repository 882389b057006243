#pragma once
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "beaconix_version.hpp"
#include "platform/system.hpp"
#include "update/windows_info.hpp"

namespace bnx::update {

// From project(Beaconix VERSION ...) in CMakeLists.txt.
constexpr const char* kProgramVersion = BEACONIX_VERSION;

// Where the check asks and what it points players to; the build chooses.
struct UpdateSite {
  std::string host;
  std::string releasePage, betaPage, devPage;
  std::string variantTag;
};
const UpdateSite& BuildSite();

// The project's web site, which the banner names.
const char* WebSite();

// Whether a version text from the update host may be shown: 1 to 24
// printable ASCII characters, no space and no "^".
bool PlausibleVersion(std::string_view text);

// "Beaconix/<version> (<build>x64)", the build being Windows's, e.g. 19045
std::string UserAgent(const WindowsInfo& info);

// What the check found, for the console now and LFS's chat on each connection.
struct Notice {
  std::string newVersion;      // a newer release, empty when none
  std::string page;            // where to get it; a refused version's way out
  std::uint32_t channel = 0;   // 0 Release, 1 Beta, 2 Dev: only its name is shown
  std::string variantVersion;  // a newer version for the build's variant tag
};

// Asks the update host, keeps a newer version and its page in `notice` and
// prints the notices. 0 carry on, 1 this version is refused: open
// notice.page and stop.
int CheckForUpdates(const WindowsInfo& info, Notice& notice, platform::Https& https,
                    std::ostream& out, const UpdateSite& site = BuildSite());

// The check without the request: what an answer tells.
int ReadUpdateAnswer(const std::string& body, Notice& notice, std::ostream& out,
                     const UpdateSite& site = BuildSite());

}  // namespace bnx::update
