#include "platform/fake/system.hpp"

#include <iostream>
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
  return body;
}

std::string FakeRegistry::ReadString(const std::string& key_path, const std::string& value) {
  auto it = values.find(key_path + "\\" + value);
  return it == values.end() ? std::string() : it->second;
}

}  // namespace bnx::platform::fake
