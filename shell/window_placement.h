// Placement arithmetic of the shell's windows. Free of windows.h: the
// rectangles mirror Windows' RECT and POINT, in screen pixels.

#ifndef ZELVORA_SHELL_WINDOW_PLACEMENT_H_
#define ZELVORA_SHELL_WINDOW_PLACEMENT_H_

#include <cstdint>

namespace window_placement {

constexpr int32_t kMainWindowWidth = 1100;
constexpr int32_t kMainWindowHeight = 800;

struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

struct Point {
  int32_t x;
  int32_t y;
};

// Arguments for MoveWindow / CreateWindow.
struct Placement {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
};

inline bool operator==(const Placement& a, const Placement& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// The main window, centred on a primary screen of the given size. Divisions
// truncate toward zero and nothing is clamped: a small screen gives negative
// coordinates.
Placement CentredMainWindow(int32_t screen_width, int32_t screen_height);

// The expanded placement of a window whose outer rectangle is |outer| and
// whose client area starts at |client_origin| on screen: the client area
// moves to the primary screen's (0, 0) and spans its width, the caption and
// side frames lie off-screen and the outer bottom edge meets the screen's.
Placement ExpandedPlacement(const Rect& outer,
                            const Point& client_origin,
                            int32_t screen_width,
                            int32_t screen_height);

// Back to a saved outer rectangle.
Placement RestoredPlacement(const Rect& saved);

}  // namespace window_placement

#endif  // ZELVORA_SHELL_WINDOW_PLACEMENT_H_
