// libFuzzer: whole update answers. Only a refusal line refuses, a refusal has a
// page to open, a stored version comes from a LatestVersion line.
#include <cstdlib>
#include <sstream>

#include "update/update_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  bnx::Config config;
  std::ostringstream out;
  const int result = bnx::update::ReadUpdateAnswer(body, config, out);
  const std::string refusal = std::string("Beaconix-DoNotUseVersion:") + bnx::update::kProgramVersion[0];
  if ((result != 0 && body.find(refusal) == body.npos) || (result == 1 && config.updatePage.empty()) ||
      (!config.newVersion.empty() && body.find("Beaconix-LatestVersion:" + config.newVersion) == body.npos)) {
    std::abort();
  }
  return 0;
}
