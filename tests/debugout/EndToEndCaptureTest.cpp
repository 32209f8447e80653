// The real halvern.exe captures from start-up: a flood reaches its DebugView
// list, a tab switch completes meanwhile, and closing it mid-flood ends it.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/debugout/Producers.h"

namespace {

const wchar_t kCaption[] = L"Halvern  for Windows XP/2003/Vista x64 (Public Version)  ---Corvath";

// build/tests/debugout/test_debugout.exe -> build/app/halvern.exe
std::wstring ProgramPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path);
  for (int up = 0; up < 3; ++up) dir = dir.substr(0, dir.find_last_of(L'\\'));
  return dir + L"\\app\\halvern.exe";
}

// The list of the one visible page, once tab `index` is selected.
HWND VisiblePageList(HWND tab, int index) {
  if (SendMessageW(tab, TCM_GETCURSEL, 0, 0) != index) return nullptr;
  for (HWND page = GetWindow(tab, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT))
    if (IsWindowVisible(page)) return GetDlgItem(page, 1001);
  return nullptr;
}

TEST(DebugOutEndToEnd, CapturesFromStartUpAndEndsWhenClosedDuringAFlood) {
  std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  CloseHandle(info.hThread);
  HWND main = nullptr;
  for (int i = 0; i < 400 && !(main && IsWindowVisible(main)); ++i, Sleep(50)) main = FindWindowW(L"#32770", kCaption);
  ASSERT_NE(main, nullptr);
  {
    Producers flood;
    ASSERT_NE(flood.Start(false, L"--debug-count 1000000"), 0u);
    // The user moves from tab 2 to tab 4 with the keyboard while messages arrive.
    HWND tab = GetDlgItem(main, 1000);
    PostMessageW(tab, WM_KEYDOWN, VK_RIGHT, 0);
    PostMessageW(tab, WM_KEYDOWN, VK_RIGHT, 0);
    HWND list = nullptr;
    for (int i = 0; i < 200 && !(list = VisiblePageList(tab, 4)); ++i) Sleep(50);
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < 600 && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) < 100; ++i) Sleep(50);
    EXPECT_GE(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 100);

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
  }
  DWORD exitCode = 1;
  GetExitCodeProcess(info.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);  // not a crash code
  TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hProcess);
}

}  // namespace
