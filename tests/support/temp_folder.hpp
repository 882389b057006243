#pragma once
// A fixture whose every test runs in a fresh folder of its own (the program
// works in the LFS folder) and returns to where it was.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>

namespace bnx::test {

class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    std::filesystem::current_path(home_);
    std::filesystem::remove_all(dir_);
  }
  static std::string Read(const std::filesystem::path& p) {
    std::stringstream s;
    s << std::ifstream(p, std::ios::binary).rdbuf();
    return s.str();
  }
  static void Write(const std::filesystem::path& p, const std::string& text) {
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
  }
  // Runs `body` as an ordinary user in a folder of its own (`user/`): permissions
  // mean nothing to root, and CI runs the tests as root. There the body runs in a
  // child that drops to user nobody; its failures fail the test.
  static void AsOrdinaryUser(const std::function<void()>& body) {
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
  static std::set<std::string> Folder() {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(".")) names.insert(e.path().filename().string());
    return names;
  }

 private:
  const std::filesystem::path home_ = std::filesystem::current_path();
  const std::filesystem::path dir_ =
      std::filesystem::temp_directory_path() / ("bnx-test-" + std::to_string(std::random_device{}()));
};

}  // namespace bnx::test
