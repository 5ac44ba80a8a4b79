#include "app/PathParts.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(SplitPath, CutsAtDriveLastSeparatorAndLastDotAndJoinsBackUnchanged) {
    const struct {
        std::wstring_view path;
        PathParts parts;
    } cases[] = {
        {L"C:\\Program Files\\Velmora\\Velmora.exe",
         {L"C:", L"\\Program Files\\Velmora\\", L"Velmora", L".exe"}},
        {L"C:/dotted.dir/name", {L"C:", L"/dotted.dir/", L"name", L""}},
        {L"a\\b/c.d", {L"", L"a\\b/", L"c", L".d"}},
        {L"\\\\server\\share\\x.txt", {L"", L"\\\\server\\share\\", L"x", L".txt"}},
        {L"archive.tar.gz", {L"", L"", L"archive.tar", L".gz"}},
        {L"C:name.txt", {L"C:", L"", L"name", L".txt"}},
        {L"C:", {L"C:", L"", L"", L""}},
        {L"x", {L"", L"", L"x", L""}},
        {L":x", {L"", L"", L":x", L""}},
        {L".profile", {L"", L"", L"", L".profile"}},
        {L"file.", {L"", L"", L"file", L"."}},
        {L"dir\\", {L"", L"dir\\", L"", L""}},
    };
    for (const auto& c : cases) {
        const PathParts parts = SplitPath(c.path, L"D:\\unused.exe");
        EXPECT_EQ(parts, c.parts) << std::wstring(c.path).c_str();
        EXPECT_EQ(JoinPath(parts), c.path);
    }
}

TEST(SplitPath, AnEmptyPathStandsForTheRunningExecutableUpToItsFirstNull) {
    using namespace std::string_view_literals;
    const PathParts parts = SplitPath(L"", L"C:\\Tools\\Velmora.exe\0C:\\junk\\x.y"sv);
    EXPECT_EQ(parts, (PathParts{L"C:", L"\\Tools\\", L"Velmora", L".exe"}));
    EXPECT_EQ(JoinPath(parts), L"C:\\Tools\\Velmora.exe");
    EXPECT_EQ(JoinPath(SplitPath(L"", L"")), L"");
}

TEST(SplitPath, APieceThatDoesNotFitWithItsTerminatorEmptiesAllFour) {
    // Each piece at capacity - 1 characters fits; one more does not.
    const auto directory = [](std::size_t length) {
        return L"\\" + std::wstring(length - 2, L'd') + L"\\";
    };
    const struct {
        const char* name;
        std::wstring path;
        bool fits;
    } cases[] = {
        {"directory of 255", L"C:" + directory(255) + L"v.exe", true},
        {"directory of 256", L"C:" + directory(256) + L"v.exe", false},
        {"directory of 300", L"C:" + directory(300) + L"v.exe", false},
        {"file name of 255", L"C:\\" + std::wstring(255, L'n') + L".exe", true},
        {"file name of 256", L"C:\\" + std::wstring(256, L'n') + L".exe", false},
        {"extension of 255", L"C:\\v." + std::wstring(254, L'e'), true},
        {"extension of 256", L"C:\\v." + std::wstring(255, L'e'), false},
    };
    for (const auto& c : cases) {
        const PathParts parts = SplitPath(c.path, L"");
        if (c.fits) {
            EXPECT_EQ(JoinPath(parts), c.path) << c.name;
        } else {
            EXPECT_EQ(parts, PathParts{}) << c.name;
        }
    }
}

} // namespace
} // namespace velmora
