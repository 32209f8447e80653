// Starts the real halvern.exe with a command line it ignores while a producer
// floods the debug-output channel: the window comes up on the system tab, the
// user moves to DebugView with the keyboard and sees the flood arrive, and
// closing the window mid-flood ends the program cleanly.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/support/Producers.h"

namespace {

const wchar_t kCaption[] = L"Halvern  for Windows XP/2003/Vista x64 (Public Version)  ---Corvath";

bool RegistryKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\应用程序向导生成的本地应用程序", 0, KEY_READ, &key)) return false;
  RegCloseKey(key);
  return true;
}

// The list of the one visible page, once tab `index` is selected.
HWND VisiblePageList(HWND tab, int index) {
  if (SendMessageW(tab, TCM_GETCURSEL, 0, 0) != index) return nullptr;
  for (HWND page = GetWindow(tab, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT))
    if (IsWindowVisible(page)) return GetDlgItem(page, 1001);
  return nullptr;
}

TEST(EndToEnd, StartsCapturesAFloodAndEndsWhenClosedDuringIt) {
  ASSERT_FALSE(RegistryKeyExists());
  wchar_t path[MAX_PATH] = {};
  std::wstring dir(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  for (int up = 0; up < 3; ++up) dir.resize(dir.find_last_of(L'\\'));  // build/tests/app/test_app.exe -> build
  std::wstring commandLine = L"\"" + dir + L"\\app\\halvern.exe\" /unknown --switch value";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  CloseHandle(info.hThread);
  // The dialog is created hidden and shown once it is initialised.
  HWND main = nullptr;
  for (int i = 0; i < 600 && !(main && IsWindowVisible(main)); ++i, Sleep(50)) main = FindWindowW(L"#32770", kCaption);
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  EXPECT_EQ(pid, info.dwProcessId);
  HWND tab = GetDlgItem(main, 1000);
  EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 5);
  EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 2);
  {
    Producers flood;
    ASSERT_NE(flood.Start(false, L"--debug-count 1000000"), 0u);
    // Wine takes no WM_NOTIFY from another process: the keyboard moves from tab 2 to tab 4.
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
  EXPECT_FALSE(RegistryKeyExists());  // the key is only a name
}

}  // namespace
