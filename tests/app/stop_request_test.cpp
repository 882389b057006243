// The stop request's own way out, where the main thread cannot end the program:
// in a wait that nothing cuts short, and when a connection's stop never
// finishes. The main thread's stops are run end to end.
#include "app/stop_request.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <sstream>
#include <thread>

#include "app/isapp.hpp"
#include "platform/fake/fake_platform.hpp"

namespace bnx {
namespace {

// In a child process: a stop request, with an ISApp set that never leaves when
// `stuck`; the child must end by itself, with the stop line and exit code 0.
void RequestAndWait(bool stuck) {
  platform::fake::FakePlatform fakes;
  std::ostringstream quiet;
  ISApp app(Config{}, fakes.platform, quiet, quiet);
  StopRequest stop(fakes.stopSignals, std::cerr);
  if (stuck) stop.SetApp(&app);
  fakes.stopSignals.request();
  std::this_thread::sleep_for(std::chrono::seconds(60));
}

TEST(StopRequestDeathTest, EndsTheProgramAtOnceWhenIdleAndInTimeWhenAStopHangs) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RequestAndWait(false), testing::ExitedWithCode(0), "^Beaconix stopped.\n$");
  EXPECT_EXIT(RequestAndWait(true), testing::ExitedWithCode(0), "^Beaconix stopped.\n$");
}

}  // namespace
}  // namespace bnx
