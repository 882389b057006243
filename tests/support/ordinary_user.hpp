#pragma once
// Runs a test body as an ordinary user in a folder of its own (`user/`):
// permissions mean nothing to root, and CI runs the tests as root. There the
// body runs in a child that drops to user nobody; its failures fail the test.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>

namespace bnx::test {

inline void AsOrdinaryUser(const std::function<void()>& body) {
  namespace fs = std::filesystem;
  const fs::path home = fs::current_path();
  auto run = [&] {
    fs::create_directory("user");
    fs::current_path("user");
    body();
    fs::current_path(home);
    fs::permissions("user", fs::perms::owner_all, fs::perm_options::add);  // removable afterwards
  };
  if (geteuid() != 0) return run();
  fs::permissions(home, fs::perms::all);
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    if (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0) try {
        run();
      } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
      }
    std::fflush(nullptr);
    _exit(geteuid() == 0 || ::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "as user nobody, status " << status;
}

}  // namespace bnx::test
