#include "ui/frame.hpp"

#include <gtest/gtest.h>

#include "support/recording_sink.hpp"

namespace bnx::ui {
namespace {

using test::Fields;

insim::Button Btn(std::uint8_t reqi, std::uint8_t id, std::uint8_t style, std::uint8_t l,
                  std::uint8_t t, std::uint8_t w, std::uint8_t h, std::string text) {
  return {reqi, 0, id, 0, style, 0, l, t, w, h, std::move(text)};
}

struct FrameCase {
  std::uint8_t top, left, height, width;
  std::uint8_t closeL, buttonsT, cancelL, saveL, headingT;
};

class FrameTest : public ::testing::TestWithParam<FrameCase> {};

// The standard controls follow the window, in bytes: a window past the grid's
// edge wraps instead of failing. The screens' own window is in the golden files.
TEST_P(FrameTest, StandardControlsFollowTheWindow) {
  const FrameCase& c = GetParam();
  ConfigWindow w;
  w.reqi = 5;
  w.top = c.top, w.left = c.left, w.height = c.height, w.width = c.width;
  w.title = "T";
  test::RecordingSink sink;
  DrawWindowFrame(w, sink);
  DrawCancel(w, sink);
  DrawSave(w, sink);
  DrawOk(w, sink);
  DrawHeading(w, sink, 6, "H");
  DrawCheckOption(w, sink, {64, 100, 7, 10, 5, 43}, true, "L", 9);
  ClearScreen(sink);
  const std::vector<insim::Button> want{
      Btn(5, 6, 32, c.left, c.top, c.width, c.height, ""),
      Btn(5, 5, 17, c.left, c.top, c.width, 5, "T"),
      Btn(5, 8, 40, c.closeL, c.top, 5, 5, "^1\xD7"),
      Btn(5, 12, 29, c.cancelL, c.buttonsT, 12, 6, "Cancel"),
      Btn(5, 15, 28, c.saveL, c.buttonsT, 12, 6, "Save"),
      Btn(5, 9, 28, c.saveL, c.buttonsT, 12, 6, "OK"),
      Btn(5, 7, 6, c.left, c.headingT, c.width, 8, "H"),
      Btn(5, 29, 10, 100, 64, 7, 10, "^2^K\xA1\xE1"),
      Btn(5, 49, 102, 106, 66, 43, 5, "L"),
  };
  const auto got = sink.buttons();
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(Fields(got[i]), Fields(want[i])) << i;
  EXPECT_EQ(sink.deletes(), (std::vector<test::Delete>{{255, 5, 84}}));
  EXPECT_TRUE(w.drawn);
}

INSTANTIATE_TEST_SUITE_P(Windows, FrameTest,
                         ::testing::Values(FrameCase{50, 50, 100, 100, 145, 143, 137, 124, 56},
                                           FrameCase{200, 200, 100, 100, 39, 37, 31, 18, 206}),
                         [](const auto& info) { return "Window" + std::to_string(info.index); });

}  // namespace
}  // namespace bnx::ui
