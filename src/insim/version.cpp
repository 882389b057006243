#include "insim/version.hpp"

#include <algorithm>

namespace bnx::insim {

namespace {
const std::string kTag = std::string("^1") + "[RZ]" + "^7" + " Lights" + "^9";

std::string HostPrefix(const Ver& ver) {
  return "LFS Host Version: " + ConsoleText(ver.version) + " " + ConsoleText(ver.product);
}
}  // namespace

VersionStep ChooseVersionStep(int sizeUnit, const Ver& ver) {
  if (ver.reqi != 1) return VersionStep::kNone;
  if (sizeUnit == 4 && ver.insimVer < 9) return VersionStep::kSwitchTo8;
  if (sizeUnit == 1 && ver.insimVer > 8) return VersionStep::kUpgradeTo9;
  return VersionStep::kBegin;
}

std::string SwitchLine(const Ver& ver, VersionStep step) {
  const bool up = step == VersionStep::kUpgradeTo9;
  return HostPrefix(ver) + ", InSim Supported Version: " + std::to_string(ver.insimVer) +
         (up ? ". Upgrading to v" : ". Switching to v") + std::to_string(up ? 9 : 8);
}

std::string AcceptedLine(const Ver& ver) {
  std::string line = HostPrefix(ver) + ", InSim Version: " + std::to_string(ver.insimVer);
  if (ver.insimVer != 9) {
    line += " (Compat v" + std::to_string(std::min<int>(ver.insimVer, 9)) + ")";
  }
  return line;
}

std::string GreetingText() { return kTag + ": to configure, type: /o bnx cfg"; }

std::string NewVersionText(const std::string& newVersion) {
  return kTag + ": " + "^3" + "there is a new version " + "^6" + newVersion + "^3" +
         " available. Get it here:";
}

std::string UpdatePageText(const std::string& page) { return "^6" + page; }

}  // namespace bnx::insim
