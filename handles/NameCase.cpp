#include "handles/NameCase.h"

#include <algorithm>

namespace velmora {

wchar_t LowerCaseAZ(wchar_t character) {
    return character >= L'A' && character <= L'Z' ? static_cast<wchar_t>(character - L'A' + L'a')
                                                  : character;
}

std::wstring LowerCaseAZ(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& character : lower) {
        character = LowerCaseAZ(character);
    }
    return lower;
}

bool EqualIgnoringCaseAZ(std::wstring_view left, std::wstring_view right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](wchar_t a, wchar_t b) { return LowerCaseAZ(a) == LowerCaseAZ(b); });
}

} // namespace velmora
