#include "scan/FaultText.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using Exception::ExceptionProcessor2Error;

TEST(FaultText, EachValueHasItsFixedTextAndOthersTheUndefinedOne) {
    const struct {
        std::int32_t value;
        const wchar_t* text;
    } cases[] = {
        {0, L"It ended normally."},
        {1, L"The memory allocating error occurred."},
        {2, L"The memory unlawful computer access error occurred."},
        {3, L"The operation result error occurred."},
        {4, L"The algorithm error occurred."},
        {5, L"OS error occurred."},
        {6, L"An undefined error occurred."},
        {7, L"An undefined error occurred."},
        {-1, L"An undefined error occurred."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FaultText(static_cast<ExceptionProcessor2Error>(c.value)), c.text) << c.value;
    }
}

TEST(TranslateFault, MapsTheTableAndLeavesOtherCodesUntranslated) {
    const struct {
        std::uint32_t code;
        int value; // -1: untranslated
    } cases[] = {
        {0x80000001u, 5},
        {0x80000002u, 2},
        {0xC0000005u, 2},
        {0xC0000006u, 5},
        {0xC0000008u, 2},
        {0xC000001Du, 5},
        {0xC0000025u, 4},
        {0xC0000026u, 5},
        {0xC000008Cu, 2},
        {0xC000008Eu, 3},
        {0xC000008Fu, 3},
        {0xC0000090u, 6},
        {0xC0000091u, 3},
        {0xC0000092u, 3},
        {0xC0000094u, 3},
        {0xC0000095u, 3},
        {0xC00000FDu, 4},
        {0xC0000194u, 4},
        // Untranslated: denormal operand, underflow, no memory, and codes that are no faults.
        {0xC000008Du, -1},
        {0xC0000093u, -1},
        {0xC0000017u, -1},
        {0x80000003u, -1},
        {0x20474343u, -1},
        {0u, -1},
    };
    for (const auto& c : cases) {
        const auto value = TranslateFault(c.code);
        if (c.value < 0) {
            EXPECT_FALSE(value.has_value()) << std::hex << c.code;
        } else {
            ASSERT_TRUE(value.has_value()) << std::hex << c.code;
            EXPECT_EQ(*value, c.value) << std::hex << c.code;
        }
    }
}

TEST(IsReportableFault, TakesSystemFaultsAndPassesThrowsNotificationsAndBreakpoints) {
    for (std::uint32_t code : {0xC0000005u, 0xC0000094u, 0xC00000FDu, 0xC0000093u, 0xC0000017u,
                               0x80000001u, 0x80000002u}) {
        EXPECT_TRUE(IsReportableFault(code)) << std::hex << code;
    }
    for (std::uint32_t code : {0x20474343u, 0x40010006u, 0x4001000Au, 0x406D1388u, 0xE06D7363u,
                               0x80000003u, 0x80000004u}) {
        EXPECT_FALSE(IsReportableFault(code)) << std::hex << code;
    }
}

TEST(FaultReport, JoinsTheTextOrTheGenericHeadWithTheTail) {
    EXPECT_EQ(FaultReport(Exception::MemoryAccess),
              L"The memory unlawful computer access error occurred.\r\n"
              L"Immediately save the date with another name and restart the application.");
    EXPECT_EQ(FaultReport(Exception::InvalidOperation),
              L"An undefined error occurred.\r\n"
              L"Immediately save the date with another name and restart the application.");
    EXPECT_EQ(GenericFaultReport(),
              L"An error has occurred. The command will be cancelled.\r\n"
              L"Immediately save the date with another name and restart the application.");
    EXPECT_EQ(kFaultReportCaption, L"Exception");
}

} // namespace
} // namespace velmora
