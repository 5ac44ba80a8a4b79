#pragma once

namespace velmora {

struct ScreenRect {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
};

struct ScreenPoint {
    long x = 0;
    long y = 0;
};

// Where a window of the given size goes to sit in the middle of a work area: centred with
// truncating divisions, then pushed back inside, the right and bottom edges first and the left
// and top edges last, so a window larger than the area keeps its top-left corner visible.
ScreenPoint CentreInWorkArea(const ScreenRect& work, long width, long height);

} // namespace velmora
