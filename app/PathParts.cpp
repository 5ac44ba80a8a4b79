#include "app/PathParts.h"

namespace velmora {
namespace {

bool Fits(const std::wstring_view part, std::size_t capacity) {
    return part.size() < capacity;
}

} // namespace

PathParts SplitPath(std::wstring_view path, std::wstring_view runningExecutable) {
    std::wstring_view rest = path.empty() ? runningExecutable : path;
    rest = rest.substr(0, rest.find(L'\0'));

    std::wstring_view drive;
    if (rest.size() >= 2 && rest[1] == L':') {
        drive = rest.substr(0, 2);
        rest.remove_prefix(2);
    }
    const std::size_t lastSeparator = rest.find_last_of(L"\\/");
    const std::size_t directoryLength =
        lastSeparator == std::wstring_view::npos ? 0 : lastSeparator + 1;
    const std::wstring_view directory = rest.substr(0, directoryLength);
    rest.remove_prefix(directoryLength);
    const std::size_t lastDot = rest.rfind(L'.');
    const std::wstring_view fileName = rest.substr(0, lastDot);
    const std::wstring_view extension =
        lastDot == std::wstring_view::npos ? std::wstring_view{} : rest.substr(lastDot);

    // The drive is two characters at most and always fits.
    if (!Fits(directory, PathParts::kDirectoryCapacity) ||
        !Fits(fileName, PathParts::kFileNameCapacity) ||
        !Fits(extension, PathParts::kExtensionCapacity)) {
        return {};
    }
    return {std::wstring(drive), std::wstring(directory), std::wstring(fileName),
            std::wstring(extension)};
}

std::wstring JoinPath(const PathParts& parts) {
    return parts.drive + parts.directory + parts.fileName + parts.extension;
}

} // namespace velmora
