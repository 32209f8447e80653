// Starts the real halvern.exe, finds its window, checks it, closes it.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RemoteWindow.h"

namespace {

const wchar_t kCaption[] = L"Halvern  for Windows XP/2003/Vista x64 (Public Version)  ---Corvath";
const wchar_t kRegistryKey[] = L"Software\\应用程序向导生成的本地应用程序";

// build/tests/app/test_app.exe -> build/app/halvern.exe
std::wstring ProgramPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path);
  for (int up = 0; up < 3; ++up) dir = dir.substr(0, dir.find_last_of(L'\\'));
  return dir + L"\\app\\halvern.exe";
}

bool RegistryKeyExists(const wchar_t* key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

TEST(EndToEnd, StartsShowsFiveTabsAndEndsOnClose) {
  ASSERT_FALSE(RegistryKeyExists(kRegistryKey));
  // Any command line is accepted and ignored.
  std::wstring commandLine = L"\"" + ProgramPath() + L"\" /unknown --switch value";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      << GetLastError();
  CloseHandle(info.hThread);

  HWND main = WaitForProcessWindow(info.dwProcessId, kCaption, 20000);
  ASSERT_NE(main, nullptr);
  // The dialog is created hidden and shown once it is initialised.
  for (int i = 0; i < 200 && !IsWindowVisible(main); ++i) Sleep(50);
  EXPECT_TRUE(IsWindowVisible(main));
  HWND tab = GetDlgItem(main, 1000);
  ASSERT_NE(tab, nullptr);
  const std::vector<std::wstring> expected = {L"进程", L"内核模块", L"系统信息", L"内核对象", L"DebugView"};
  EXPECT_EQ(ReadTabLabels(tab), expected);
  EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 2);

  PostMessageW(main, WM_CLOSE, 0, 0);
  const DWORD waited = WaitForSingleObject(info.hProcess, 10000);
  EXPECT_EQ(waited, WAIT_OBJECT_0);
  if (waited != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hProcess);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_FALSE(RegistryKeyExists(kRegistryKey));
}

}  // namespace
