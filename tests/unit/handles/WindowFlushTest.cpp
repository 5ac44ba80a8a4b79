#include "handles/WindowFlush.h"

#include "tests/fakes/FakeDesktop.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

class WindowFlushTest : public ::testing::Test {
protected:
    void SetUp() override {
        foundPids.Publish({200, 100});
        minimised = desktop.AddWindow(100, true, true);
        other = desktop.AddWindow(200, true, true);
        hidden = desktop.AddWindow(100, false, true);
        normal = desktop.AddWindow(100, true, false);
    }

    fakes::FakeDesktop desktop;
    PublishedPids foundPids;
    WindowId minimised = 0, other = 0, hidden = 0, normal = 0;
};

TEST_F(WindowFlushTest, RestoresAndRaisesEveryVisibleWindowOfTheSelectedApplicationOnly) {
    WindowFlush(1, foundPids, desktop);

    EXPECT_EQ(desktop.Raised(), (std::vector<WindowId>{minimised, normal}));
    EXPECT_FALSE(desktop.WindowAt(0).minimised);
    EXPECT_TRUE(desktop.WindowAt(1).minimised) << "another application's window";
    EXPECT_TRUE(desktop.WindowAt(2).minimised) << "a hidden window";
}

TEST_F(WindowFlushTest, DoesNothingWithoutASelectionOrForARowPastTheEnd) {
    for (const std::optional<std::size_t> row :
         {std::optional<std::size_t>{}, std::optional<std::size_t>{2}}) {
        WindowFlush(row, foundPids, desktop);
    }
    EXPECT_TRUE(desktop.Raised().empty());
    EXPECT_TRUE(desktop.WindowAt(0).minimised);
}

TEST_F(WindowFlushTest, AWindowThatNoLongerExistsIsLeftAlone) {
    // Destroyed after the enumeration listed it.
    desktop.AddWindow(200, true, true, false);

    WindowFlush(0, foundPids, desktop);
    EXPECT_EQ(desktop.Raised(), (std::vector<WindowId>{other}));
}

} // namespace
} // namespace velmora
