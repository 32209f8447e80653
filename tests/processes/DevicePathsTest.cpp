// Drive letters and the path rules: against Wine's real DOS-device links, and
// against fake link routines that record what they were asked.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "tests/processes/CStringPrinter.h"
#include "tests/support/SlotOverride.h"
#include "views/processes/DevicePaths.h"

namespace {

CString DrivePath(LPCWSTR path) {
  CString text(path);
  DevicePathToDrivePath(text);
  return text;
}

CString Stripped(LPCWSTR path) {
  CString text(path);
  StripDosDevicesPrefix(text);
  return text;
}

class DevicePathsTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureNativeApiBound(); }
};

TEST_F(DevicePathsTest, RealVolumeGetsItsLetter) {
  EXPECT_EQ(L'C', GetDriveLetterForDevice(L"\\Device\\HarddiskVolume1"));
  EXPECT_EQ(L'C', GetDriveLetterForDevice(L"\\DEVICE\\harddiskVOLUME1"));
  EXPECT_EQ(0, GetDriveLetterForDevice(L"\\Device\\NoSuchVolume"));
  EXPECT_EQ(0, GetDriveLetterForDevice(L"\\Device\\HarddiskVolume1\\"));

  EXPECT_EQ(CString(L"C:\\Windows\\notepad.exe"), DrivePath(L"\\Device\\HarddiskVolume1\\Windows\\notepad.exe"));
  EXPECT_EQ(CString(L"C:\\x.dll"), DrivePath(L"\\DEVICE\\HARDDISKVOLUME1\\x.dll"));
  EXPECT_EQ(CString(L"\\server\\share\\a.txt"), DrivePath(L"\\Device\\Mup\\server\\share\\a.txt"));
  // Every occurrence of the device name is replaced (case-sensitively).
  EXPECT_EQ(CString(L"C:\\aC:\\b\\\\device\\HarddiskVolume1"),
            DrivePath(L"\\Device\\HarddiskVolume1\\a\\Device\\HarddiskVolume1\\b\\\\device\\HarddiskVolume1"));
  EXPECT_EQ(CString(L"\\a\\b"), DrivePath(L"\\Device\\Mup\\a\\Device\\Mup\\b"));
}

// --- Fake links ----------------------------------------------------------

struct FakeLinks {
  std::map<wchar_t, std::wstring> targets;  // letter -> link target
  std::vector<std::wstring> asked;
  int opened = 0;
  int closed = 0;
  int badCloses = 0;
  bool wellFormedOpens = true;
};

FakeLinks* g_links = nullptr;
PFN_NtClose g_realClose = nullptr;
const HANDLE kFailedOpenHandle = reinterpret_cast<HANDLE>(0xBAD0);
constexpr uintptr_t kFakeHandleBase = 0xFA0000;

HANDLE FakeHandleFor(wchar_t letter) { return reinterpret_cast<HANDLE>(kFakeHandleBase + letter * 4); }
bool IsFakeHandle(HANDLE handle) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  return value >= kFakeHandleBase + L'A' * 4 && value <= kFakeHandleBase + L'Z' * 4;
}
wchar_t LetterOf(HANDLE handle) {
  return static_cast<wchar_t>((reinterpret_cast<uintptr_t>(handle) - kFakeHandleBase) / 4);
}

NTSTATUS NTAPI FakeOpenLink(PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes) {
  const UNICODE_STRING* name = attributes->ObjectName;
  const std::wstring text(name->Buffer, name->Length / sizeof(WCHAR));
  g_links->asked.push_back(text);
  g_links->wellFormedOpens &= access == 1 && attributes->Length == 48 && attributes->RootDirectory == nullptr &&
                              attributes->Attributes == OBJ_CASE_INSENSITIVE && name->MaximumLength == 14;
  const auto found = g_links->targets.find(text.size() == 6 ? std::towupper(text[4]) : 0);
  if (found == g_links->targets.end() || text.compare(0, 4, L"\\??\\") != 0 || text[5] != L':') {
    *handle = kFailedOpenHandle;  // must never be closed
    return kStatusObjectNameNotFound;
  }
  *handle = FakeHandleFor(found->first);
  ++g_links->opened;
  return kStatusSuccess;
}

NTSTATUS NTAPI FakeQueryLink(HANDLE link, PUNICODE_STRING target, PULONG returned) {
  if (!IsFakeHandle(link) || returned) return kStatusInvalidParameter;
  const std::wstring& text = g_links->targets[LetterOf(link)];
  if (text.size() * sizeof(WCHAR) > target->MaximumLength) return kStatusBufferTooSmall;
  std::memcpy(target->Buffer, text.data(), text.size() * sizeof(WCHAR));
  target->Length = static_cast<USHORT>(text.size() * sizeof(WCHAR));
  return kStatusSuccess;
}

NTSTATUS NTAPI FakeClose(HANDLE handle) {
  if (IsFakeHandle(handle)) {
    ++g_links->closed;
    return kStatusSuccess;
  }
  if (handle == kFailedOpenHandle) {
    ++g_links->badCloses;
    return kStatusInvalidParameter;
  }
  return g_realClose(handle);
}

struct BoundTable {
  BoundTable() { EnsureNativeApiBound(); }
};

class FakeLinkTest : public ::testing::Test, private BoundTable {
 protected:
  FakeLinkTest() {
    g_links = &m_links;
    g_realClose = m_close.Saved();
  }
  ~FakeLinkTest() override {
    EXPECT_EQ(m_links.opened, m_links.closed);
    EXPECT_EQ(0, m_links.badCloses);
    EXPECT_TRUE(m_links.wellFormedOpens);
    g_links = nullptr;
  }

  std::vector<std::wstring> AskedFrom(wchar_t first, wchar_t last) {
    std::vector<std::wstring> names;
    for (wchar_t letter = first; letter <= last; ++letter) names.push_back(std::wstring(L"\\??\\") + letter + L":");
    return names;
  }

  FakeLinks m_links;
  ScopedSlotOverride<PFN_NtOpenSymbolicLinkObject> m_open{g_NativeApi.NtOpenSymbolicLinkObject, &FakeOpenLink};
  ScopedSlotOverride<PFN_NtQuerySymbolicLinkObject> m_query{g_NativeApi.NtQuerySymbolicLinkObject, &FakeQueryLink};
  ScopedSlotOverride<PFN_NtClose> m_close{g_NativeApi.NtClose, &FakeClose};
};

TEST_F(FakeLinkTest, SearchRunsFromCAndPassesOverMissingAndOtherLinks) {
  m_links.targets = {{L'A', L"\\Device\\Vol"},
                     {L'B', L"\\Device\\Vol"},
                     {L'C', L"\\Device\\Other"},
                     {L'F', L"\\device\\VOL"},
                     {L'G', L"\\Device\\Vol"}};
  EXPECT_EQ(L'F', GetDriveLetterForDevice(L"\\Device\\Vol"));
  EXPECT_EQ(AskedFrom(L'C', L'F'), m_links.asked);
  EXPECT_EQ(2, m_links.opened);
}

TEST_F(FakeLinkTest, FloppyLettersAreNeverTried) {
  m_links.targets = {{L'A', L"\\Device\\Floppy0"}, {L'B', L"\\Device\\Floppy0"}, {L'D', L"\\Device\\Cdrom0"}};
  EXPECT_EQ(0, GetDriveLetterForDevice(L"\\Device\\Floppy0"));
  EXPECT_EQ(AskedFrom(L'C', L'Z'), m_links.asked);
  // The rule then removes the device name.
  EXPECT_EQ(CString(L"\\disk.img"), DrivePath(L"\\Device\\Floppy0\\disk.img"));
}

TEST_F(FakeLinkTest, TargetLongerThanItsBufferIsPassedOver) {
  const std::wstring longTarget = L"\\Device\\" + std::wstring(250, L'v');
  m_links.targets = {{L'C', longTarget}, {L'D', longTarget.substr(0, 255)}};
  EXPECT_EQ(0, GetDriveLetterForDevice(longTarget.c_str()));
  EXPECT_EQ(L'D', GetDriveLetterForDevice(longTarget.substr(0, 255).c_str()));
}

TEST_F(FakeLinkTest, DeviceNameEndsAtTheFirstBackslashFromIndexTen) {
  m_links.targets = {{L'E', L"\\Device\\Ab"}, {L'K', L"\\Device\\Mup"}};
  EXPECT_EQ(CString(L"E:\\x.sys"), DrivePath(L"\\Device\\Ab\\x.sys"));
  EXPECT_EQ(CString(L"K:\\server\\share"), DrivePath(L"\\Device\\Mup\\server\\share"));
  m_links.asked.clear();
  // Too short, or no backslash from index 10: unchanged, nothing asked.
  for (LPCWSTR path : {L"\\Device\\Ab", L"\\Device\\Abcdefgh", L"\\Dev\\ice\\Abcdef", L"", L"\\"}) {
    EXPECT_EQ(CString(path), DrivePath(path)) << path;
  }
  EXPECT_TRUE(m_links.asked.empty());
}

TEST_F(FakeLinkTest, DriveLetterPathsAreNoDevicePaths) {
  EXPECT_EQ(CString(L"C:\\windows\\system32\\ntdll.dll"), DrivePath(L"\\??\\C:\\windows\\system32\\ntdll.dll"));
  EXPECT_EQ(CString(L"C:\\windows\\system32\\l_intl.nls"), DrivePath(L"C:\\windows\\system32\\l_intl.nls"));
  EXPECT_EQ(CString(L"z:\\work\\app\\helper64.exe"), DrivePath(L"\\??\\z:\\work\\app\\helper64.exe"));
  EXPECT_EQ(CString(L"C:\\x"), DrivePath(L"\\??\\C:\\x"));
  EXPECT_TRUE(m_links.asked.empty());
  // Not a drive letter form: the literal rule applies.
  m_links.asked.clear();
  EXPECT_EQ(CString(L"\\x.sys"), DrivePath(L"\\??\\1:\\windows\\x.sys"));
  EXPECT_EQ(AskedFrom(L'C', L'Z'), m_links.asked);
}

TEST(StripDosDevicesPrefixTest, OnlyTheFourCharacterPrefixGoes) {
  EXPECT_EQ(CString(L"C:\\x.sys"), Stripped(L"\\??\\C:\\x.sys"));
  EXPECT_EQ(CString(L""), Stripped(L"\\??\\"));
  EXPECT_EQ(CString(L"\\??C:\\x.sys"), Stripped(L"\\??C:\\x.sys"));
  EXPECT_EQ(CString(L"\\??"), Stripped(L"\\??"));
  EXPECT_EQ(CString(L"\\\\?\\C:\\x.sys"), Stripped(L"\\\\?\\C:\\x.sys"));
  EXPECT_EQ(CString(L"C:\\??\\x"), Stripped(L"C:\\??\\x"));
  EXPECT_EQ(CString(L""), Stripped(L""));
}

}  // namespace
