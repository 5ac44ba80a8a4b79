#include "app/SelectedRows.h"

#include "tests/fakes/FakeListControl.h"

#include <gtest/gtest.h>

namespace velmora::fakes {
namespace {

TEST(SelectedRows, TheFirstSelectedReadableRowDecides) {
    const struct {
        const char* name;
        std::vector<FakeListControl::StoredRow> rows;
        std::set<int> unreadable;
        std::optional<std::size_t> row;
        std::optional<std::uint32_t> letter;
    } cases[] = {
        {"nothing selected", {{L"E: (Stick)", false}}, {}, std::nullopt, std::nullopt},
        {"empty list", {}, {}, std::nullopt, std::nullopt},
        {"second row", {{L"E: (a)", false}, {L"G: (b)", true}}, {}, 1, 6},
        {"lower-case letter is no drive", {{L"e: (a)", true}}, {}, 0, std::nullopt},
        {"digit is no drive", {{L"9: (a)", true}}, {}, 0, std::nullopt},
        {"empty text is no drive", {{L"", true}}, {}, 0, std::nullopt},
        {"A and Z", {{L"A: (a)", true}}, {}, 0, 0},
        {"Z", {{L"Z: (z)", true}}, {}, 0, 25},
        {"unreadable row counts as not selected",
         {{L"E: (a)", true}, {L"F: (b)", true}},
         {0},
         1,
         5},
        {"a later drive row after a selected non-drive row",
         {{L"x", true}, {L"K: (k)", true}},
         {},
         0,
         10},
    };
    for (const auto& c : cases) {
        FakeListControl list;
        list.rows = c.rows;
        list.unreadableRows = c.unreadable;
        EXPECT_EQ(FirstSelectedRow(list), c.row) << c.name;
        EXPECT_EQ(SelectedDriveLetter(list), c.letter) << c.name;
        EXPECT_TRUE(list.TakeChanges().empty()) << c.name;
    }
}

} // namespace
} // namespace velmora::fakes
