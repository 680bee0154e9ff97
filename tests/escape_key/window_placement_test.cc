// Placement arithmetic of the main window and of the Escape key's expansion.

#include "window_placement.h"

#include <cstdint>
#include <ostream>

#include "gtest/gtest.h"

namespace window_placement {

std::ostream& operator<<(std::ostream& out, const Placement& p) {
  return out << "(x " << p.x << ", y " << p.y << ", " << p.width << " x "
             << p.height << ")";
}

namespace {

TEST(CentredMainWindow, Is1100By800InTheMiddleOfThePrimaryScreen) {
  struct {
    int32_t screen_width, screen_height;
    Placement expected;
  } const cases[] = {
      {1920, 1080, {410, 140, 1100, 800}},
      // Smaller screens: negative, neither moved into view nor shrunk.
      {1024, 768, {-38, -16, 1100, 800}},
      // Odd differences truncate toward zero: -77 / 2 is -38, not -39.
      {1023, 768, {-38, -16, 1100, 800}},
      {1099, 801, {0, 0, 1100, 800}},
      {1101, 799, {0, 0, 1100, 800}},
      {2560, 1440, {730, 320, 1100, 800}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, CentredMainWindow(c.screen_width, c.screen_height))
        << "on a " << c.screen_width << " x " << c.screen_height << " screen";
  }
}

TEST(ExpandedPlacement, PutsTheClientAreaAtTheScreensTopLeft) {
  // 8-pixel side and bottom frames, 31 pixels of caption and top frame, on a
  // 1920 x 1080 primary screen.
  const Rect outer = {410, 140, 1510, 940};
  const Point client_origin = {418, 171};
  const Placement expanded =
      ExpandedPlacement(outer, client_origin, 1920, 1080);
  EXPECT_EQ((Placement{-8, -31, 1936, 1111}), expanded);

  // Where the client area then lies: inside the frames of the new rectangle.
  const int32_t client_left = expanded.x + 8;
  const int32_t client_top = expanded.y + 31;
  const int32_t client_right = expanded.x + expanded.width - 8;
  const int32_t client_bottom = expanded.y + expanded.height - 8;
  EXPECT_EQ(0, client_left);
  EXPECT_EQ(0, client_top);
  EXPECT_EQ(1920, client_right);
  EXPECT_EQ(1072, client_bottom) << "the bottom frame stays on screen";
}

TEST(ExpandedPlacement, DependsOnlyOnTheInsetsNotOnWhereTheWindowWas) {
  // The same window on a second monitor to the right, and under Wine's
  // 4-pixel frames and 23-pixel caption.
  EXPECT_EQ(
      (Placement{-8, -31, 1936, 1111}),
      ExpandedPlacement({2330, 200, 3430, 1000}, {2338, 231}, 1920, 1080));
  EXPECT_EQ((Placement{-4, -23, 1928, 1103}),
            ExpandedPlacement({410, 140, 1510, 940}, {414, 163}, 1920, 1080));
  // A frameless window fills the screen exactly.
  EXPECT_EQ((Placement{0, 0, 1024, 768}),
            ExpandedPlacement({5, 6, 105, 106}, {5, 6}, 1024, 768));
}

TEST(ExpandedPlacement, StaysInsideInt32ForAbsurdRectangles) {
  const Placement p =
      ExpandedPlacement({INT32_MIN, INT32_MIN, 0, 0}, {INT32_MAX, INT32_MAX},
                        INT32_MAX, INT32_MAX);
  EXPECT_EQ(INT32_MIN, p.x);
  EXPECT_EQ(INT32_MIN, p.y);
  EXPECT_EQ(INT32_MAX, p.width);
  EXPECT_EQ(INT32_MAX, p.height);
}

TEST(RestoredPlacement, GivesBackTheSavedOuterRectangle) {
  EXPECT_EQ((Placement{410, 140, 1100, 800}),
            RestoredPlacement({410, 140, 1510, 940}));
  EXPECT_EQ((Placement{-38, -16, 1100, 800}),
            RestoredPlacement({-38, -16, 1062, 784}));
}

TEST(RestoredPlacement, StaysInsideInt32ForAbsurdRectangles) {
  EXPECT_EQ((Placement{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}),
            RestoredPlacement({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}));
  EXPECT_EQ((Placement{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}),
            RestoredPlacement({INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}));
}

}  // namespace
}  // namespace window_placement
