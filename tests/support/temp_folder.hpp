#pragma once
// A fixture whose every test runs in a fresh folder of its own (the program
// works in the LFS folder) and returns to where it was.
#include <gtest/gtest.h>

#include <filesystem>
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
