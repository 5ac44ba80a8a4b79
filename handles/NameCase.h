#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Executable names are compared with only the letters A to Z folded to small letters; every other
// character, accented letters included, must match exactly.
wchar_t LowerCaseAZ(wchar_t character);
std::wstring LowerCaseAZ(std::wstring_view text);
bool EqualIgnoringCaseAZ(std::wstring_view left, std::wstring_view right);

} // namespace velmora
