#include "RemoteWindow.h"

#include <commctrl.h>

namespace {

struct WindowSearch {
  DWORD processId;
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  if (pid == search->processId && wcscmp(text, search->caption) == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND WaitForProcessWindow(DWORD processId, const wchar_t* caption, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    WindowSearch search{processId, caption, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found || GetTickCount() - start > timeoutMs) return search.found;
    Sleep(50);
  }
}

std::vector<std::wstring> ReadTabLabels(HWND tab) {
  std::vector<std::wstring> labels;
  DWORD pid = 0;
  GetWindowThreadProcessId(tab, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return labels;
  constexpr int kChars = 128;
  const SIZE_T size = sizeof(TCITEMW) + kChars * sizeof(wchar_t);
  auto* remote = static_cast<BYTE*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  if (remote) {
    const int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(TCITEMW));
      item.cchTextMax = kChars;
      wchar_t text[kChars] = {};
      WriteProcessMemory(process, remote, &item, sizeof(item), nullptr);
      WriteProcessMemory(process, remote + sizeof(TCITEMW), text, sizeof(text), nullptr);
      SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(remote));
      TCITEMW back{};
      ReadProcessMemory(process, remote, &back, sizeof(back), nullptr);
      ReadProcessMemory(process, back.pszText, text, sizeof(text) - sizeof(wchar_t), nullptr);
      labels.emplace_back(text);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return labels;
}
