#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// A path cut into the four pieces that joined in order give it back. Each piece has a fixed
// capacity that counts its terminating null.
struct PathParts {
    static constexpr std::size_t kDriveCapacity = 3;
    static constexpr std::size_t kDirectoryCapacity = 256;
    static constexpr std::size_t kFileNameCapacity = 256;
    static constexpr std::size_t kExtensionCapacity = 256;

    std::wstring drive;     // "C:" or empty
    std::wstring directory; // up to and including the last \ or /
    std::wstring fileName;
    std::wstring extension; // from the last dot of what follows the directory, dot included

    bool operator==(const PathParts&) const = default;
};

// Splits path, which ends at its first null character. An empty path stands for the running
// executable, whose full path the caller gives. A piece too long for its capacity leaves all four
// pieces empty.
PathParts SplitPath(std::wstring_view path, std::wstring_view runningExecutable);

// Drive, directory, file name and extension, in that order.
std::wstring JoinPath(const PathParts& parts);

} // namespace velmora
