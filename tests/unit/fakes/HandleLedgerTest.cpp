#include "tests/fakes/HandleLedger.h"

#include <gtest/gtest.h>

namespace velmora::fakes {
namespace {

TEST(HandleLedger, TracksOpenObjectsUntilClosedAndRefusesSecondClose) {
    HandleLedger ledger;
    const auto file = ledger.Open("file");
    const auto set = ledger.Open("device-information set");
    EXPECT_NE(file, set);
    EXPECT_EQ(ledger.OpenCount(), 2u);
    EXPECT_NE(ledger.Describe().find("device-information set"), std::string::npos);

    EXPECT_TRUE(ledger.Close(file));
    EXPECT_FALSE(ledger.Close(file));
    EXPECT_FALSE(ledger.Close(0));
    EXPECT_FALSE(ledger.IsEmpty());
    EXPECT_TRUE(ledger.Close(set));
    EXPECT_TRUE(ledger.IsEmpty());
}

} // namespace
} // namespace velmora::fakes
