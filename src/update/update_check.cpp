#include "update/update_check.hpp"

namespace bnx::update {

int CheckForUpdates(const WindowsInfo&, Config&, platform::Https&, std::ostream&) { return 0; }

}  // namespace bnx::update
