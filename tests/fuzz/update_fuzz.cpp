// libFuzzer: whole update answers. Only a refusal line refuses, a refusal has a
// page to open, a stored version comes from a LatestVersion line.
#include <cstdlib>
#include <sstream>

#include "update/update_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  bnx::update::Notice notice;
  std::ostringstream out;
  const int result = bnx::update::ReadUpdateAnswer(body, notice, out);
  const std::string refusal = std::string("Beaconix-DoNotUseVersion:") + bnx::update::kProgramVersion[0];
  if ((result != 0 && body.find(refusal) == body.npos) || (result == 1 && notice.page.empty()) ||
      (!notice.newVersion.empty() && body.find("Beaconix-LatestVersion:" + notice.newVersion) == body.npos)) {
    std::abort();
  }
  return 0;
}
