#include "app/Centring.h"

namespace velmora {
namespace {

long CentreOnAxis(long low, long high, long size) {
    long position = (low + high) / 2 - size / 2;
    if (position + size > high) {
        position = high - size;
    }
    if (position < low) {
        position = low;
    }
    return position;
}

} // namespace

ScreenPoint CentreInWorkArea(const ScreenRect& work, long width, long height) {
    return {CentreOnAxis(work.left, work.right, width),
            CentreOnAxis(work.top, work.bottom, height)};
}

} // namespace velmora
