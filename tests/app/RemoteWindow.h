// Reading the controls of another process's window: the text of a tab item
// needs a buffer inside that process, since the tab control writes there.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The labels of the tab control `tab`, which may belong to another process.
std::vector<std::wstring> ReadTabLabels(HWND tab);

// The top-level window with the exact caption `caption` that belongs to
// process `processId`, waiting up to timeoutMs for it to appear; null if none.
HWND WaitForProcessWindow(DWORD processId, const wchar_t* caption, DWORD timeoutMs);
