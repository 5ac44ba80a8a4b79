#pragma once

#include <string>
#include <vector>
#include <windows.h>

namespace velmora::testing {

// Reading and clicking the rows of a list-view control of another process. Messages that carry
// pointers are not marshalled between processes, so their records live in the list's process.
std::vector<std::wstring> ListRows(HWND list);
bool IsRowSelected(HWND list, int row);
// Presses and releases the left mouse button over the row's centre, as a click does.
bool ClickRow(HWND list, int row);
// Polls until the list's rows equal the expected ones; false on timeout.
bool WaitForRows(HWND list, const std::vector<std::wstring>& expected, DWORD timeoutMs = 10000);

} // namespace velmora::testing
