// Clicks a tab of a running Halvern window, for screenshots: finds the main
// window by its caption, asks the tab control for the item's rectangle through
// a buffer in Halvern's own address space, and clicks the item's centre.
//   select_tab.exe <main tab index> [<process-page tab index or -1> [<row to double-click> [<pixels>]]]
//   (pixels: then scroll the visible list that far to the right)
//   select_tab.exe about          (opens the about box from the system menu)
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

namespace {

const wchar_t kCaption[] = L"Halvern  for Windows XP/2003/Vista x64 (Public Version)  ---Corvath";

bool RemoteRect(HWND control, UINT message, WPARAM index, RECT* out, LONG firstField = 0) {
  DWORD pid = 0;
  GetWindowThreadProcessId(control, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  bool ok = false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  if (remote) {
    RECT seed{firstField, 0, 0, 0};
    WriteProcessMemory(process, remote, &seed, sizeof(seed), nullptr);
    if (SendMessageW(control, message, index, reinterpret_cast<LPARAM>(remote)))
      ok = ReadProcessMemory(process, remote, out, sizeof(RECT), nullptr) != 0;
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return ok;
}

void ClickAt(HWND control, const RECT& rect, bool twice) {
  POINT pt{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  ClientToScreen(control, &pt);
  SetCursorPos(pt.x, pt.y);
  for (int i = 0; i < (twice ? 2 : 1); ++i) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
    Sleep(50);
  }
  Sleep(500);
}

bool ClickTab(HWND tab, int index) {
  RECT rect{};
  if (!tab || !RemoteRect(tab, TCM_GETITEMRECT, index, &rect)) return false;
  ClickAt(tab, rect, false);
  return true;
}

// The visible child of `parent` with the given id.
HWND VisibleChild(HWND parent, int id) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(child) == id && IsWindowVisible(child)) return child;
    if (HWND inner = GetDlgItem(child, id); inner && IsWindowVisible(inner)) return inner;
  }
  return nullptr;
}

// The visible list (id 1001) anywhere below `root`.
HWND VisibleList(HWND root) {
  HWND found = nullptr;
  EnumChildWindows(
      root,
      [](HWND child, LPARAM out) -> BOOL {
        if (GetDlgCtrlID(child) != 1001 || !IsWindowVisible(child)) return TRUE;
        *reinterpret_cast<HWND*>(out) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  HWND main = nullptr;
  for (int i = 0; i < 100 && !main; ++i, Sleep(100)) main = FindWindowW(nullptr, kCaption);
  if (!main) return 1;
  if (wcscmp(argv[1], L"about") == 0) return PostMessageW(main, WM_SYSCOMMAND, 0x10, 0) ? 0 : 1;
  HWND mainTab = GetDlgItem(main, 1000);
  if (!ClickTab(mainTab, _wtoi(argv[1]))) return 1;
  if (argc >= 4) {  // double-click a row of the page's list
    HWND list = VisibleChild(mainTab, 1001);
    RECT rect{};
    if (!list || !RemoteRect(list, LVM_GETITEMRECT, _wtoi(argv[3]), &rect, LVIR_LABEL)) return 1;
    ClickAt(list, rect, true);
    Sleep(1000);
  }
  if (argc >= 3 && _wtoi(argv[2]) >= 0) {
    HWND pageTab = VisibleChild(mainTab, 1000);
    if (!ClickTab(pageTab, _wtoi(argv[2]))) return 1;
  }
  if (argc >= 5) {
    HWND list = VisibleList(mainTab);
    if (!list) return 1;
    SendMessageW(list, LVM_SCROLL, _wtoi(argv[4]), 0);
    Sleep(500);
  }
  return 0;
}
