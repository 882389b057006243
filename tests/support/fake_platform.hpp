#pragma once
#include "platform/fake/fake_platform.hpp"

namespace bnx::testing {
using platform::fake::FakePlatform;
}  // namespace bnx::testing
