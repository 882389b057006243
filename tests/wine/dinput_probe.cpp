// The game-controller list over the real DirectInput, and which sleep the tick
// thread gets. Exit status 0 when the DirectInput interface was created.
#include <iostream>

#include "input/controllers.hpp"
#include "platform/win32/game_input.hpp"
#include "platform/win32/system.hpp"

int main() {
  bnx::platform::win32::WinGameInput input;
  bool created = false;
  std::size_t count = 0;
  {
    bnx::input::ControllerList list(input);
    created = list.Create(std::cout);
    list.PollAll();
    for (const auto& c : list.controllers())
      std::cout << "controller: " << c.productName << " {" << c.productGuid << "} buttons " << c.buttonCount
                << " povs " << c.povCount << (c.acquired ? " acquired" : " not acquired") << "\n";
    count = list.controllers().size();
    // A second enumeration must work on the same interface.
    if (created && !list.Refresh(std::cout)) created = false;
  }
  std::cout << "DirectInput: " << (created ? "created" : "failed") << "\n"
            << "Controllers: " << count << "\n"
            << "Sleep: " << (bnx::platform::win32::WinTimer::HighResolution() ? "high-resolution timer" : "Sleep") << "\n";
  return created ? 0 : 1;
}
