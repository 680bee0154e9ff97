#include "window_placement.h"

#include <limits>

namespace window_placement {

namespace {

// Sums and differences of screen coordinates, kept inside int32_t even for
// absurd inputs.
int32_t Clamp(int64_t value) {
  if (value > std::numeric_limits<int32_t>::max())
    return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min())
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

}  // namespace

Placement CentredMainWindow(int32_t screen_width, int32_t screen_height) {
  return {Clamp((int64_t{screen_width} - kMainWindowWidth) / 2),
          Clamp((int64_t{screen_height} - kMainWindowHeight) / 2),
          kMainWindowWidth, kMainWindowHeight};
}

Placement ExpandedPlacement(const Rect& outer,
                            const Point& client_origin,
                            int32_t screen_width,
                            int32_t screen_height) {
  // Both insets are negative for a framed window: minus the left frame, and
  // minus the caption bar with the top frame.
  const int64_t dx = int64_t{outer.left} - client_origin.x;
  const int64_t dy = int64_t{outer.top} - client_origin.y;
  return {Clamp(dx), Clamp(dy), Clamp(screen_width - 2 * dx),
          Clamp(screen_height - dy)};
}

Placement RestoredPlacement(const Rect& saved) {
  return {saved.left, saved.top, Clamp(int64_t{saved.right} - saved.left),
          Clamp(int64_t{saved.bottom} - saved.top)};
}

}  // namespace window_placement
