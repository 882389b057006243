// libFuzzer target: whole answers of the update host. Besides "no crash, no
// hang, no sanitizer report": the result is 1 exactly when a refusal line is
// present, and a stored version comes from a LatestVersion line.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "update/update_check.hpp"

using namespace bnx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  Config config;
  std::ostringstream out;
  const int result = update::ReadUpdateAnswer(body, config, out);
  if (result != 0 && body.find("Beaconix-DoNotUseVersion:2") == std::string::npos) std::abort();
  if (result == 1 && config.updatePage.empty()) std::abort();
  if (!config.newVersion.empty() &&
      body.find("Beaconix-LatestVersion:" + config.newVersion) == std::string::npos) {
    std::abort();
  }
  if (out.str().find("Error checking") != std::string::npos) std::abort();
  return 0;
}
