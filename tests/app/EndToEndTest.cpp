// Starts the real halvern.exe with a command line it ignores, finds its window, checks it and closes it.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include <gtest/gtest.h>

namespace {

bool RegistryKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\应用程序向导生成的本地应用程序", 0, KEY_READ, &key)) return false;
  RegCloseKey(key);
  return true;
}

TEST(EndToEnd, StartsShowsFiveTabsAndEndsOnClose) {
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
  for (int i = 0; i < 600 && !(main && IsWindowVisible(main)); ++i, Sleep(50))
    main = FindWindowW(L"#32770", L"Halvern  for Windows XP/2003/Vista x64 (Public Version)  ---Corvath");
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  EXPECT_EQ(pid, info.dwProcessId);
  HWND tab = GetDlgItem(main, 1000);
  EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 5);
  EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 2);
  PostMessageW(main, WM_CLOSE, 0, 0);
  const DWORD waited = WaitForSingleObject(info.hProcess, 10000);
  EXPECT_EQ(waited, WAIT_OBJECT_0);
  if (waited != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hProcess);
  EXPECT_FALSE(RegistryKeyExists());  // the key is only a name
}

}  // namespace
