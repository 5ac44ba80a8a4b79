#include "app/Centring.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(CentreInWorkArea, CentresWithTruncationAndKeepsTheWindowInside) {
    const struct {
        const char* name;
        ScreenRect work;
        long width, height;
        ScreenPoint expected;
    } cases[] = {
        {"centred", {0, 0, 1024, 768}, 400, 300, {312, 234}},
        {"odd sizes truncate each half", {0, 0, 1025, 769}, 401, 301, {312, 234}},
        {"offset work area", {100, 50, 900, 650}, 200, 100, {400, 300}},
        {"negative coordinates truncate toward zero", {-1025, -7, 0, 0}, 10, 4, {-517, -5}},
        {"wider than the area keeps the left edge", {0, 0, 300, 200}, 500, 100, {0, 50}},
        {"taller than the area keeps the top edge", {10, 20, 310, 220}, 100, 400, {110, 20}},
        {"empty work area", {0, 0, 0, 0}, 100, 100, {0, 0}},
    };
    for (const auto& c : cases) {
        const ScreenPoint place = CentreInWorkArea(c.work, c.width, c.height);
        EXPECT_EQ(place.x, c.expected.x) << c.name;
        EXPECT_EQ(place.y, c.expected.y) << c.name;
    }
}

} // namespace
} // namespace velmora
