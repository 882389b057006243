#include "platform/fake/system.hpp"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace bnx::platform::fake {

void StdinConsole::WaitAnyKey() { std::cin.get(); }

void StdinConsole::WaitEnter() {
  std::string line;
  std::getline(std::cin, line);
}

std::string FakeHttps::Get(const std::string& host, const std::string& path,
                           const std::string& user_agent, std::ostream&) {
  requests.push_back({host, path, user_agent});
  if (!answerFile.empty()) {
    std::ifstream file(answerFile, std::ios::binary);
    if (file) {
      std::ostringstream text;
      text << file.rdbuf();
      return text.str();
    }
  }
  return body;
}

std::string FakeRegistry::ReadString(const std::string& key_path, const std::string& value) {
  auto it = values.find(key_path + "\\" + value);
  return it == values.end() ? std::string() : it->second;
}

}  // namespace bnx::platform::fake
