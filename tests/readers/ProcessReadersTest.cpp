// What the process readers do with strings the system hands them: PEB strings
// longer than their fields, counted texts in answers, device paths and the
// drive letters tried for them. The page tests read real PEBs and owners.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "native/NativeOwners.h"
#include "readers/DevicePaths.h"
#include "readers/DriveLetters.h"
#include "readers/HandleQueries.h"
#include "readers/ProcessPebInfo.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/SlotOverride.h"

namespace {

class ProcessReadersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureNativeApiBound(); }
};

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
    const auto& read = *static_cast<const ProcessPebInfo*>(info.Get());
    EXPECT_EQ(0x140000000u, read.ImageBase);
    EXPECT_EQ(std::wstring(pathChars, L'A'), read.ImagePath);
    EXPECT_EQ(std::wstring(commandChars, L'A'), read.CommandLine);
  }
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
  } cases[] = {{14, 0, nullptr}, {11, 16, L"abcde"}, {8, 4088, L"abcd"}, {10, 4088, nullptr}};
  UniqueNtHandle owner(OpenHandleOwner(GetCurrentProcessId()));
  for (const auto& c : cases) {
    g_length = c.length;
    g_textAt = c.textAt;
    for (DWORD timeout : {DWORD{INFINITE}, DWORD{300}}) {  // read here, or on the bounded worker
      CString text = L"unchanged";
      EXPECT_EQ(ReadObjectName(UniqueNtHandle(DuplicateForQuery(owner.Get(), value)), timeout, &text),
                c.text != nullptr)
          << c.length;
      EXPECT_EQ(text, CString(c.text ? c.text : L"unchanged"));
    }
    CString type;
    UniqueNtHandle duplicate(DuplicateForQuery(owner.Get(), value));
    EXPECT_EQ(ReadObjectTypeName(duplicate.Get(), &type), c.text != nullptr) << c.length;
  }
  CloseHandle(event);
}

TEST_F(ProcessReadersTest, DeviceNamesBecomeDriveLetters) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"\\DEVICE\\HARDDISKVOLUME1\\x.dll", L"C:\\x.dll"},
      {L"\\Device\\Mup\\server\\share\\a.txt", L"\\server\\share\\a.txt"},  // no letter: the device goes
      {L"\\Device\\Ab", L"\\Device\\Ab"},                                   // 10 characters: no device name
  };
  for (const auto& [path, expected] : cases) {
    CString text(path);
    DevicePathToDrivePath(text);
    EXPECT_EQ(CString(expected), text) << path;
  }
}

std::wstring g_firstAsked;

TEST_F(ProcessReadersTest, FloppyLettersAreNeverTried) {
  ScopedSlotOverride open(g_NativeApi.NtOpenSymbolicLinkObject, [](PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES a) {
    if (g_firstAsked.empty()) g_firstAsked.assign(a->ObjectName->Buffer, a->ObjectName->Length / sizeof(WCHAR));
    return kStatusObjectNameNotFound;
  });
  EXPECT_EQ(0, GetDriveLetterForDevice(L"\\Device\\Floppy0"));
  EXPECT_EQ(g_firstAsked, L"\\??\\C:");
}

}  // namespace
