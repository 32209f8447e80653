// The PEB reader, the owner lookup, handle queries and device paths, against a
// child process, own objects and Wine's real links, with fake routines for
// what the system does not produce. The page tests read real PEBs.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "native/NativeOwners.h"
#include "readers/DevicePaths.h"
#include "readers/DriveLetters.h"
#include "readers/HandleQueries.h"
#include "readers/ProcessOwner.h"
#include "readers/ProcessPebInfo.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"

namespace {

class ProcessReadersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureNativeApiBound(); }
};

const ProcessPebInfo& InfoOf(const UniqueNativeBuffer& buffer) {
  return *static_cast<const ProcessPebInfo*>(buffer.Get());
}

// A PEB laid out in this process and read through its own handle, for what
// no child shows: lengths beyond the fields, parameters that cannot be read.
TEST_F(ProcessReadersTest, OverlongStringsStopAtTheirFieldsAndUnreadableParametersLeaveThemEmpty) {
  static const std::wstring text(0x8000, L'A');
  alignas(8) BYTE peb[0xC0] = {};
  alignas(8) BYTE parameters[0x80] = {};
  const auto put = [](BYTE* at, uint64_t value, size_t size) { std::memcpy(at, &value, size); };
  put(peb + 0x10, 0x140000000, 8);
  put(peb + 0x20, reinterpret_cast<uintptr_t>(parameters), 8);
  for (size_t field : {0x60, 0x70}) {  // ImagePathName, CommandLine
    put(parameters + field, 0xFFFF, 2);
    put(parameters + field + 8, reinterpret_cast<uintptr_t>(text.data()), 8);
  }
  for (const auto& [unreadable, pathChars, commandChars] : {std::tuple{false, 259, 1023}, std::tuple{true, 0, 0}}) {
    if (unreadable) put(peb + 0x20, 0x10, 8);  // in the never-mapped first page
    UniqueNativeBuffer info(ReadProcessPebInfo(NtCurrentProcessHandle(), reinterpret_cast<ULONG_PTR>(peb)));
    ASSERT_TRUE(info);
    EXPECT_EQ(0x140000000u, InfoOf(info).ImageBase);
    EXPECT_EQ(std::wstring(pathChars, L'A'), InfoOf(info).ImagePath);
    EXPECT_EQ(std::wstring(commandChars, L'A'), InfoOf(info).CommandLine);
  }
}

std::wstring LocalSystemName() {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof(sid);
  WCHAR name[260] = {};
  return CreateWellKnownSid(WinLocalSystemSid, nullptr, sid, &size) && LookupSidAccountName(sid, name) ? name : L"-";
}

std::wstring ObjectOwnerName(HANDLE process) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  GetSecurityInfo(process, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                  &descriptor);
  WCHAR name[260] = {};
  const bool found = LookupSidAccountName(owner, name);
  LocalFree(descriptor);
  return found ? name : L"-";
}

std::wstring UserNameOf(ULONG_PTR processId) {
  WCHAR name[260] = {};
  EXPECT_TRUE(GetProcessUserName(processId, name)) << processId;
  return name;
}

int g_opens = 0;

TEST_F(ProcessReadersTest, OwnerIsTheTokenUserElseTheObjectOwnerElseLocalSystem) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--wait"));
  WCHAR user[260] = {};
  DWORD userLength = 260;
  ASSERT_TRUE(GetUserNameW(user, &userLength));
  EXPECT_EQ(user, UserNameOf(child.Pid()));
  {
    ScopedSlotOverride token(g_NativeApi.NtOpenProcessToken,
                             [](HANDLE, ACCESS_MASK, PHANDLE) -> NTSTATUS { return kStatusAccessDenied; });
    EXPECT_EQ(ObjectOwnerName(child.Handle()), UserNameOf(child.Pid()));
    const LeakCounts before = TakeLeakCounts();
    for (int i = 0; i < 10; ++i) UserNameOf(child.Pid());
    ExpectNoLeaks(before, TakeLeakCounts());
  }
  g_opens = 0;
  ScopedSlotOverride open(g_NativeApi.NtOpenProcess, [](PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, CLIENT_ID*) {
    ++g_opens;
    return kStatusAccessDenied;
  });
  EXPECT_EQ(LocalSystemName(), UserNameOf(child.Pid()));
  EXPECT_EQ(1, g_opens);
  for (ULONG_PTR pid : {0u, 4u}) EXPECT_EQ(LocalSystemName(), UserNameOf(pid)) << pid;
  EXPECT_EQ(1, g_opens) << "the idle and system processes are not opened";
}

// An answer of the whole buffer whose counted text lies at g_textAt, or (0)
// outside the answer.
USHORT g_length = 0;
ptrdiff_t g_textAt = 0;

NTSTATUS NTAPI FakeAnswer(HANDLE, ULONG, PVOID buffer, ULONG size, PULONG returned) {
  static const wchar_t kOutside[] = L"outside";
  BYTE* answer = static_cast<BYTE*>(buffer);
  const ULONG_PTR text =
      reinterpret_cast<ULONG_PTR>(g_textAt ? answer + g_textAt : reinterpret_cast<const BYTE*>(kOutside));
  std::memcpy(answer, &g_length, 2);
  std::memcpy(answer + 8, &text, 8);
  if (g_textAt) std::memcpy(answer + g_textAt, L"abcdefgh", size - g_textAt < 16 ? size - g_textAt : 16);
  *returned = size;
  return kStatusSuccess;
}

TEST_F(ProcessReadersTest, HandleTextIsReadByLengthAndOnlyInsideTheAnswer) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(event);
  ScopedSlotOverride query(g_NativeApi.NtQueryObject, &FakeAnswer);
  const struct {
    USHORT length;
    ptrdiff_t textAt;
    const wchar_t* text;  // null: not read
  } cases[] = {{14, 0, nullptr},      {11, 16, L"abcde"}, {0, 0, L""},
               {0xFFFE, 16, nullptr}, {8, 4088, L"abcd"}, {10, 4088, nullptr}};
  UniqueNtHandle owner(OpenHandleOwner(GetCurrentProcessId()));
  for (const auto& c : cases) {
    g_length = c.length;
    g_textAt = c.textAt;
    for (DWORD timeout : {DWORD{INFINITE}, DWORD{300}}) {
      CString text = L"unchanged";
      UniqueNtHandle duplicate(DuplicateForQuery(owner.Get(), value));
      EXPECT_EQ(ReadObjectName(std::move(duplicate), timeout, &text), c.text != nullptr) << c.length;
      EXPECT_EQ(text, CString(c.text ? c.text : L"unchanged"));
    }
    CString type;
    UniqueNtHandle duplicate(DuplicateForQuery(owner.Get(), value));
    EXPECT_EQ(ReadObjectTypeName(duplicate.Get(), &type), c.text != nullptr) << c.length;
  }
  EXPECT_EQ(QueryHandleTypeInfo(0, value), nullptr);  // process 0: nothing is asked
  CloseHandle(event);
}

TEST_F(ProcessReadersTest, DeviceNamesBecomeDriveLettersAndDosPrefixesGo) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"\\DEVICE\\HARDDISKVOLUME1\\x.dll", L"C:\\x.dll"},
      {L"\\Device\\Mup\\server\\share\\a.txt", L"\\server\\share\\a.txt"},  // no letter: the device goes
      {L"\\Device\\HarddiskVolume1\\a\\Device\\HarddiskVolume1\\b", L"C:\\aC:\\b"},
      {L"\\Device\\Ab\\x.sys", L"\\x.sys"},  // a backslash at index 10 ends the device name
      // 10 characters, or no backslash from index 10: no device name.
      {L"\\Device\\Ab", L"\\Device\\Ab"},
      {L"\\Dev\\ice\\Abcdef", L"\\Dev\\ice\\Abcdef"},
      // Drive-letter forms are only stripped; anything else is a device path.
      {L"C:\\windows\\system32\\l_intl.nls", L"C:\\windows\\system32\\l_intl.nls"},
      {L"\\??\\z:\\work\\helper64.exe", L"z:\\work\\helper64.exe"},
      {L"\\??\\1:\\windows\\x.sys", L"\\x.sys"},
  };
  for (const auto& [path, expected] : cases) {
    CString text(path);
    DevicePathToDrivePath(text);
    EXPECT_EQ(CString(expected), text) << path;
  }
  for (const auto& [path, expected] :
       {std::pair{L"\\??\\C:\\x.sys", L"C:\\x.sys"}, std::pair{L"\\??C:\\x", L"\\??C:\\x"}}) {
    CString text(path);
    StripDosDevicesPrefix(text);
    EXPECT_EQ(CString(expected), text) << path;
  }
}

std::vector<std::wstring> g_asked;

TEST_F(ProcessReadersTest, FloppyLettersAreNeverTried) {
  ScopedSlotOverride open(g_NativeApi.NtOpenSymbolicLinkObject, [](PHANDLE handle, ACCESS_MASK, POBJECT_ATTRIBUTES a) {
    g_asked.emplace_back(a->ObjectName->Buffer, a->ObjectName->Length / sizeof(WCHAR));
    *handle = reinterpret_cast<HANDLE>(0xBAD0);  // not to be closed: the open failed
    return kStatusObjectNameNotFound;
  });
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
