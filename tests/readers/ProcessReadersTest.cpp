// The process readers on what the system could hand them: PEB strings longer
// than their fields, counted texts, device paths, a fake address space.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "native/NativeOwners.h"
#include "readers/AnswerText.h"
#include "readers/DevicePaths.h"
#include "readers/MappedImages.h"
#include "readers/ProcessPebInfo.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"

namespace {

void Put(BYTE* at, uint64_t value, size_t size) { std::memcpy(at, &value, size); }

class ProcessReadersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureNativeApiBound(); }
};

// A PEB laid out in this process and read through its own handle.
TEST_F(ProcessReadersTest, OverlongPebStringsStopAtTheirFields) {
  static const std::wstring text(0x8000, L'A');
  alignas(8) BYTE peb[0xC0] = {}, parameters[0x80] = {};
  Put(peb + 0x10, 0x140000000, 8);
  Put(peb + 0x20, reinterpret_cast<uintptr_t>(parameters), 8);
  for (size_t field : {0x60, 0x70}) {  // ImagePathName, CommandLine
    Put(parameters + field, 0xFFFF, 2);
    Put(parameters + field + 8, reinterpret_cast<uintptr_t>(text.data()), 8);
  }
  UniqueNativeBuffer info(ReadProcessPebInfo(NtCurrentProcessHandle(), reinterpret_cast<ULONG_PTR>(peb)));
  ASSERT_TRUE(info);
  const auto& read = *static_cast<const ProcessPebInfo*>(info.Get());
  EXPECT_EQ(read.ImageBase, 0x140000000u);
  EXPECT_EQ(std::wstring(read.ImagePath), std::wstring(259, L'A'));
  EXPECT_EQ(std::wstring(read.CommandLine), std::wstring(1023, L'A'));
}

// A one-page answer whose counted text lies at `at` (0: outside the answer);
// a device name turned into a drive letter.
TEST_F(ProcessReadersTest, AnswerTextIsReadOnlyInsideTheAnswerAndDevicesBecomeLetters) {
  UniqueNativeBuffer answer(AllocNativeBuffer(4096));
  BYTE* bytes = static_cast<BYTE*>(answer.Get());
  std::memcpy(bytes + 16, L"abcdefgh", 16);
  std::memcpy(bytes + 4088, L"abcd", 8);
  using Case = std::tuple<USHORT, size_t, const wchar_t*>;  // length, at, text (null: not read)
  for (const auto& [length, at, text] : {Case{14, 0, nullptr}, Case{11, 16, L"abcde"}, Case{10, 4088, nullptr}}) {
    Put(bytes, length, 2);
    Put(bytes + 8, at ? reinterpret_cast<uintptr_t>(bytes + at) : reinterpret_cast<uintptr_t>(L"outside"), 8);
    CString read = L"unchanged";
    EXPECT_EQ(ReadAnswerString(bytes, &read), text != nullptr) << length;
    EXPECT_EQ(read, CString(text ? text : L"unchanged"));
  }
  CString path(L"\\DEVICE\\HARDDISKVOLUME1\\x.dll");
  DevicePathToDrivePath(path);
  EXPECT_EQ(path, CString(L"C:\\x.dll"));
}

// Copies the names out and frees the records and the list, as the page does.
std::vector<std::wstring> WalkNames() {
  MappedImageList* list = EnumProcessImages(NtCurrentProcessHandle());
  std::vector<std::wstring> names;
  for (ULONG i = 0; list && i < list->Count; ++i) {
    names.emplace_back(list->Records()[i]->Name);
    FreeNativeBuffer(list->Records()[i]);
  }
  if (list) FreeNativeBuffer(list);
  return names;
}

// A fake address space: mapped files without image headers, one per 64 KiB
// from 0x10000, then free space. Region queries at 0x20000-0x4FFFF fail with g_fail.
enum class NameForm { kText, kOddLength, kOutsideBuffer };
std::vector<std::pair<std::wstring, NameForm>> g_files;
size_t g_basicQueries = 0;
NTSTATUS g_fail = 0;

NTSTATUS NTAPI FakeQuery(HANDLE, PVOID at, ULONG infoClass, PVOID buffer, SIZE_T size, PSIZE_T) {
  const auto address = reinterpret_cast<ULONG_PTR>(at);
  const size_t index = address / 0x10000 - 1;
  const bool mapped = address >= 0x10000 && index < g_files.size();
  if (infoClass == 0) {
    ++g_basicQueries;
    if (g_fail && address >= 0x20000 && address < 0x50000) return g_fail;
    MEMORY_BASIC_INFORMATION info{};
    info.BaseAddress = info.AllocationBase = reinterpret_cast<PVOID>(address & (mapped ? ~0xFFFFull : ~0xFFFull));
    info.RegionSize = mapped ? 0x10000 : 0x7FFFFFF0000 - (address & ~0xFFFull);
    info.Protect = mapped ? PAGE_READONLY : PAGE_NOACCESS;
    info.Type = mapped ? MEM_MAPPED : 0;
    std::memcpy(buffer, &info, sizeof(info));
    return 0;
  }
  if (!mapped) return static_cast<NTSTATUS>(0xC0000141);
  const auto& [name, form] = g_files[index];
  BYTE* answer = static_cast<BYTE*>(buffer);
  std::memset(answer, 0xAB, size);
  Put(answer, name.size() * 2 + (form == NameForm::kOddLength), 2);
  Put(answer + 8,
      reinterpret_cast<uintptr_t>(form == NameForm::kOutsideBuffer ? static_cast<const void*>(name.data())
                                                                   : answer + 16),
      8);
  std::memcpy(answer + 16, name.data(), name.size() * 2);
  return 0;
}

TEST_F(ProcessReadersTest, AddressSpaceWalkWithOddNamesFailuresAndALongList) {
  ScopedSlotOverride query(g_NativeApi.NtQueryVirtualMemory, &FakeQuery);
  ScopedSlotOverride read(g_NativeApi.NtReadVirtualMemory,
                          [](HANDLE, PVOID, PVOID, SIZE_T, PSIZE_T) { return kStatusAccessDenied; });
  ScopedSlotOverride open(g_NativeApi.NtOpenFile, [](PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, ULONG,
                                                     ULONG) { return kStatusObjectNameNotFound; });
  // Odd, outside the answer, one character too long; nothing outside a name is read.
  const std::wstring name299 = std::wstring(294, L'x') + L"c.dll";
  g_files = {{L"a.dll", NameForm::kText},
             {L"\\Device\\F\\odd.dat", NameForm::kOddLength},
             {L"\\Device\\F\\outside.dat", NameForm::kOutsideBuffer},
             {L"y" + name299, NameForm::kText},
             {name299, NameForm::kText}};
  EXPECT_EQ(WalkNames(), (std::vector<std::wstring>{L"a.dll", name299}));

  g_basicQueries = 0;
  g_fail = kStatusAccessDenied;  // ends the walk at once
  EXPECT_EQ(WalkNames().size(), 1u);
  EXPECT_EQ(g_basicQueries, 2u);
  g_fail = 0;

  g_files.clear();
  for (int i = 0; i < 1500; ++i) g_files.push_back({std::to_wstring(i % 2), NameForm::kText});
  WalkNames();
  const LeakCounts before = TakeLeakCounts();
  EXPECT_EQ(WalkNames().size(), 1500u);
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace
