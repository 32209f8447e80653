// The real halvern.exe, its command line ignored: the about box, DebugView under a flood, closing mid-flood.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/support/Producers.h"

namespace {

template <typename Found>
auto WaitFor(Found found) {
  auto value = found();
  for (int i = 0; i < 600 && !value; ++i, Sleep(50)) value = found();
  return value;
}

TEST(EndToEnd, StartsCapturesAFloodAndEndsWhenClosedDuringIt) {
  wchar_t path[MAX_PATH] = {};
  std::wstring dir(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  for (int up = 0; up < 3; ++up) dir.resize(dir.find_last_of(L'\\'));  // build/tests/app/test_app.exe -> build
  std::wstring commandLine = L"\"" + dir + L"\\app\\halvern.exe\" /unknown --switch value";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  CloseHandle(info.hThread);
  const HWND main = WaitFor([] {
    HWND found = FindWindowW(L"#32770", L"Halvern  for Windows XP/2003/Vista x64 (Public Version)  ---Corvath");
    return IsWindowVisible(found) ? found : nullptr;  // created hidden, shown once initialised
  });
  PostMessageW(main, WM_SYSCOMMAND, 0x13, 0);  // the about entry, whatever the system's low bits
  const HWND about = WaitFor([] { return FindWindowW(L"#32770", L"关于 Halvern"); });
  EXPECT_EQ(GetWindow(about, GW_OWNER), main);
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  {
    Producers flood;
    ASSERT_NE(flood.Start(false, L"--debug-count 1000000"), 0u);
    // Wine takes no WM_NOTIFY from another process: the keyboard moves from tab 2 to tab 4.
    const HWND tab = GetDlgItem(main, 1000);
    for (int i = 0; i < 2; ++i) PostMessageW(tab, WM_KEYDOWN, VK_RIGHT, 0);
    const HWND list = WaitFor([tab] {  // of the one visible page
      HWND page = SendMessageW(tab, TCM_GETCURSEL, 0, 0) == 4 ? GetWindow(tab, GW_CHILD) : nullptr;
      while (page && !IsWindowVisible(page)) page = GetWindow(page, GW_HWNDNEXT);
      return GetDlgItem(page, 1001);
    });
    EXPECT_TRUE(WaitFor([list] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) >= 100; }));
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
  }
  DWORD exitCode = 1;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &exitCode) && exitCode == 0);  // not a crash code
  TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hProcess);
}

}  // namespace
