// Drive letters and the path rules against Wine's real DOS-device links; a
// fake link routine shows which letters are tried.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/CStringPrinter.h"
#include "tests/support/SlotOverride.h"
#include "readers/DevicePaths.h"

namespace {

TEST(DevicePathsTest, DeviceNamesBecomeDriveLettersAndDosPrefixesGo) {
  EnsureNativeApiBound();
  const struct {
    LPCWSTR path;
    LPCWSTR expected;
  } cases[] = {
      {L"\\Device\\HarddiskVolume1\\Windows\\notepad.exe", L"C:\\Windows\\notepad.exe"},
      {L"\\DEVICE\\HARDDISKVOLUME1\\x.dll", L"C:\\x.dll"},
      {L"\\Device\\Mup\\server\\share\\a.txt", L"\\server\\share\\a.txt"},  // no letter: the device goes
      {L"\\Device\\HarddiskVolume1\\a\\Device\\HarddiskVolume1\\b", L"C:\\aC:\\b"},
      {L"\\Device\\Mup\\a\\Device\\Mup\\b", L"\\a\\b"},
      {L"\\Device\\Ab\\x.sys", L"\\x.sys"},  // a backslash at index 10 ends the device name
      // 10 characters, or no backslash from index 10: no device name.
      {L"\\Device\\Ab", L"\\Device\\Ab"},
      {L"\\Device\\Abcdefgh", L"\\Device\\Abcdefgh"},
      {L"\\Dev\\ice\\Abcdef", L"\\Dev\\ice\\Abcdef"},
      {L"", L""},
      // Drive-letter forms are only stripped; anything else is a device path.
      {L"C:\\windows\\system32\\l_intl.nls", L"C:\\windows\\system32\\l_intl.nls"},
      {L"\\??\\C:\\windows\\system32\\ntdll.dll", L"C:\\windows\\system32\\ntdll.dll"},
      {L"\\??\\z:\\work\\helper64.exe", L"z:\\work\\helper64.exe"},
      {L"\\??\\1:\\windows\\x.sys", L"\\x.sys"},
  };
  for (const auto& c : cases) {
    CString path(c.path);
    DevicePathToDrivePath(path);
    EXPECT_EQ(CString(c.expected), path) << c.path;
  }
  // Of "\??\" and look-alikes, only the exact prefix goes.
  const std::pair<LPCWSTR, LPCWSTR> stripped[] = {{L"\\??\\C:\\x.sys", L"C:\\x.sys"},
                                                  {L"\\??", L"\\??"},
                                                  {L"\\??C:\\x.sys", L"\\??C:\\x.sys"},
                                                  {L"\\\\?\\C:\\x.sys", L"\\\\?\\C:\\x.sys"}};
  for (const auto& [path, expected] : stripped) {
    CString text(path);
    StripDosDevicesPrefix(text);
    EXPECT_EQ(CString(expected), text) << path;
  }
}

std::vector<std::wstring> g_asked;

NTSTATUS NTAPI FakeOpenLink(PHANDLE handle, ACCESS_MASK, POBJECT_ATTRIBUTES attributes) {
  g_asked.emplace_back(attributes->ObjectName->Buffer, attributes->ObjectName->Length / sizeof(WCHAR));
  *handle = reinterpret_cast<HANDLE>(0xBAD0);  // not to be closed: the open failed
  return kStatusObjectNameNotFound;
}

TEST(DevicePathsTest, FloppyLettersAreNeverTried) {
  EnsureNativeApiBound();
  ScopedSlotOverride open(g_NativeApi.NtOpenSymbolicLinkObject, &FakeOpenLink);
  ScopedSlotOverride close(g_NativeApi.NtClose, [](HANDLE) -> NTSTATUS {
    ADD_FAILURE() << "nothing was opened";
    return kStatusInvalidParameter;
  });
  g_asked.clear();
  EXPECT_EQ(0, GetDriveLetterForDevice(L"\\Device\\Floppy0"));
  std::vector<std::wstring> letters;
  for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) letters.push_back(std::wstring(L"\\??\\") + letter + L":");
  EXPECT_EQ(letters, g_asked);
}

}  // namespace
