#include "platform/files.hpp"

namespace bnx::platform {

namespace fs = std::filesystem;

// A loop of links gives up after a while and saves there.
fs::path FileBehindLinks(const fs::path& path) {
  fs::path p = path;
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(p, ec); ++hops) {
    const fs::path next = fs::read_symlink(p, ec);
    if (ec) break;
    p = next.is_absolute() ? next : p.parent_path() / next;
  }
  return p;
}

}  // namespace bnx::platform
