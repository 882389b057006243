#pragma once
// Runs a test body as an ordinary user, in a folder of its own (`user/` below
// the current one): file permissions mean nothing to root, and CI runs the
// tests as root. There it forks and the child drops to user nobody; a failure
// in the child fails the test.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>

namespace bnx::test {

inline void AsOrdinaryUser(const std::function<void()>& body) {
  namespace fs = std::filesystem;
  const fs::path home = fs::current_path();
  auto run = [&] {
    fs::create_directory("user");
    fs::current_path("user");
    body();
    fs::current_path(home);
    // What the body made unwritable must be removable afterwards.
    for (const auto& e : fs::recursive_directory_iterator("user"))
      if (e.is_directory()) fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add);
    fs::permissions("user", fs::perms::owner_all, fs::perm_options::add);
  };
  if (geteuid() != 0) return run();
  fs::permissions(home, fs::perms::all);
  std::fflush(nullptr);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(3);
    try {
      run();
    } catch (const std::exception& e) {
      ADD_FAILURE() << "as user nobody: " << e.what();
    }
    std::fflush(nullptr);
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "as user nobody, status " << status;
}

}  // namespace bnx::test
