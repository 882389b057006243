#pragma once
// Implemented once per system (native/, win32/); the core's config saves use it.
#include <filesystem>

namespace bnx::platform {

// The file that `path` names once every symbolic link on the way is followed,
// so that a save can replace that file and keep the links. `path` itself when
// it names nothing yet or cannot be followed.
std::filesystem::path FileBehindLinks(const std::filesystem::path& path);

}  // namespace bnx::platform
