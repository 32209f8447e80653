// Start-up: from CreateProcess until the main window is shown and idle with
// its start tab filled, for Halvern and for a bare program that shows an
// empty dialog of the same size.
#include <algorithm>
#include <cstdio>
#include <string>

#include "bench/Bench.h"
#include "res/resource.h"

namespace {

struct Found {
  DWORD pid;
  HWND window;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<Found*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != found->pid || !IsWindowVisible(window)) return TRUE;
  found->window = window;
  return FALSE;
}

BOOL CALLBACK FindOsEdit(HWND window, LPARAM param) {
  if (GetDlgCtrlID(window) != IDC_EDIT_OS) return TRUE;
  *reinterpret_cast<HWND*>(param) = window;
  return FALSE;
}

// The shown main window; with `needsReport`, only once the report holds text.
HWND ReadyWindow(DWORD pid, bool needsReport) {
  Found found{pid, nullptr};
  EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&found));
  if (!found.window || !needsReport) return found.window;
  HWND edit = nullptr;
  EnumChildWindows(found.window, FindOsEdit, reinterpret_cast<LPARAM>(&edit));
  return edit && SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0) > 0 ? found.window : nullptr;
}

std::wstring SiblingPath(const wchar_t* relative) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  return path.substr(0, path.find_last_of(L'\\') + 1) + relative;
}

// One start, measured; the program is closed with WM_CLOSE afterwards.
double StartOnce(const std::wstring& program, bool needsReport, SIZE_T* peak) {
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  const double start = Seconds();
  if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    std::printf("  cannot start %ls\n", program.c_str());
    return 0;
  }
  // The child's memory is read once it is ready, not sampled while it starts:
  // under Wine each read of another process's address space runs inside that
  // process and more than doubled both start-up times.
  WaitForInputIdle(info.hProcess, 20000);
  HWND window = nullptr;
  for (int i = 0; i < 20000 && !(window = ReadyWindow(info.dwProcessId, needsReport)); ++i) Sleep(1);
  const double seconds = Seconds() - start;
  *peak = std::max(*peak, PrivateBytes(info.hProcess));
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return window ? seconds : 0;
}

}  // namespace

CaseResult StartupCase(int rounds) {
  const std::wstring halvern = SiblingPath(L"..\\app\\halvern.exe");
  const std::wstring bare = SiblingPath(L"bare_dialog.exe");
  std::printf("start-up\n");
  return RunCase(
      "start-up", 1.5, rounds, [&](SIZE_T* peak) { return StartOnce(halvern, true, peak); },
      [&](SIZE_T* peak) { return StartOnce(bare, false, peak); });
}
