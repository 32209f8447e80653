// Native buffers and the query functions against the real system.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "native/NativeOwners.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"

namespace {

template <typename T>
T ReadAt(const BYTE* bytes, size_t offset) {
  T value;
  std::memcpy(&value, bytes + offset, sizeof(value));
  return value;
}

// The committed size of the buffer's allocation: how far a test may read.
size_t RegionSize(NativeBuffer buffer) {
  MEMORY_BASIC_INFORMATION region = {};
  return VirtualQuery(buffer, &region, sizeof(region)) ? region.RegionSize : 0;
}

// A UNICODE_STRING at offset 0 of the buffer whose text lies inside it.
std::wstring UnicodeStringAtStart(NativeBuffer buffer) {
  const auto* bytes = static_cast<const BYTE*>(buffer);
  const USHORT length = ReadAt<USHORT>(bytes, 0);
  const auto* text = ReadAt<const BYTE*>(bytes, 8);
  if (!text || text < bytes || text + length > bytes + RegionSize(buffer)) return L"<outside>";
  std::wstring result(length / sizeof(wchar_t), L'\0');
  std::memcpy(&result[0], text, length);
  return result;
}

struct AllocCall {
  HANDLE process;
  PVOID baseOnEntry;
  ULONG_PTR zeroBits;
  SIZE_T sizeOnEntry;
  ULONG type;
  ULONG protect;
};
AllocCall g_allocCall;
PFN_NtAllocateVirtualMemory g_realAlloc;

NTSTATUS NTAPI RecordingAlloc(HANDLE process, PVOID* base, ULONG_PTR zeroBits, PSIZE_T size, ULONG type,
                              ULONG protect) {
  g_allocCall = {process, *base, zeroBits, *size, type, protect};
  return g_realAlloc(process, base, zeroBits, size, type, protect);
}

struct FreeCall {
  HANDLE process;
  PVOID base;
  SIZE_T size;
  ULONG type;
};
FreeCall g_freeCall;
PFN_NtFreeVirtualMemory g_realFree;

NTSTATUS NTAPI RecordingFree(HANDLE process, PVOID* base, PSIZE_T size, ULONG type) {
  g_freeCall = {process, *base, *size, type};
  return g_realFree(process, base, size, type);
}

class NativeBufferTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureNativeApiBound(); }
  void SetUp() override {
    // Warm-up for the leak counts; the first named object opens the
    // session's object directory, and that handle stays.
    FreeNativeBuffer(QuerySystemInformation(57, 0));
    CloseHandle(CreateEventW(nullptr, TRUE, FALSE, L"HalvernNativeWarmUpEvent"));
    m_before = TakeLeakCounts();
  }
  void TearDown() override { ExpectNoLeaks(m_before, TakeLeakCounts()); }

  LeakCounts m_before = {};
};

TEST_F(NativeBufferTest, WholeZeroFilledPagesCommittedTopDownAndReleasedWhole) {
  ScopedSlotOverride alloc(g_NativeApi.NtAllocateVirtualMemory, &RecordingAlloc);
  ScopedSlotOverride release(g_NativeApi.NtFreeVirtualMemory, &RecordingFree);
  g_realAlloc = alloc.Saved();
  g_realFree = release.Saved();

  NativeBuffer buffer = AllocNativeBuffer(100);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(g_allocCall.process, NtCurrentProcessHandle());
  EXPECT_EQ(g_allocCall.baseOnEntry, nullptr);
  EXPECT_EQ(g_allocCall.zeroBits, 0u);
  EXPECT_EQ(g_allocCall.sizeOnEntry, 100u);
  EXPECT_EQ(g_allocCall.type, static_cast<ULONG>(MEM_COMMIT | MEM_TOP_DOWN));
  EXPECT_EQ(g_allocCall.protect, static_cast<ULONG>(PAGE_READWRITE));

  MEMORY_BASIC_INFORMATION region = {};
  ASSERT_EQ(VirtualQuery(buffer, &region, sizeof(region)), sizeof(region));
  EXPECT_EQ(region.AllocationBase, buffer);
  EXPECT_EQ(region.RegionSize, 4096u);
  EXPECT_EQ(region.State, static_cast<DWORD>(MEM_COMMIT));
  EXPECT_EQ(region.Type, static_cast<DWORD>(MEM_PRIVATE));
  EXPECT_EQ(region.Protect, static_cast<DWORD>(PAGE_READWRITE));
  const BYTE* bytes = static_cast<const BYTE*>(buffer);
  EXPECT_TRUE(std::all_of(bytes, bytes + 4096, [](BYTE b) { return b == 0; }));

  FreeNativeBuffer(buffer);
  EXPECT_EQ(g_freeCall.process, NtCurrentProcessHandle());
  EXPECT_EQ(g_freeCall.base, buffer);
  EXPECT_EQ(g_freeCall.size, 0u);
  EXPECT_EQ(g_freeCall.type, static_cast<ULONG>(MEM_RELEASE));
  ASSERT_EQ(VirtualQuery(buffer, &region, sizeof(region)), sizeof(region));
  EXPECT_EQ(region.State, static_cast<DWORD>(MEM_FREE));
}

TEST_F(NativeBufferTest, SystemQueriesAnswerWithTheRealRecords) {
  // The process snapshot outgrows its 4096-byte start and holds this process.
  UniqueNativeBuffer processes(QuerySystemInformation(57, 0));
  ASSERT_TRUE(processes);
  const size_t size = RegionSize(processes.Get());
  bool foundSelf = false;
  for (size_t offset = 0; offset + 0x58 <= size;) {
    foundSelf = foundSelf || ReadAt<ULONG_PTR>(processes.Bytes(), offset + 0x50) == GetCurrentProcessId();
    const ULONG next = ReadAt<ULONG>(processes.Bytes(), offset);
    if (next == 0) break;
    offset += next;
  }
  EXPECT_TRUE(foundSelf);
  EXPECT_GT(size, 4096u);

  // SystemBasicInformation: the page size at 8, the allocation granularity at 0x18.
  UniqueNativeBuffer basic(QuerySystemInformation(0, 64));
  ASSERT_TRUE(basic);
  SYSTEM_INFO system = {};
  GetSystemInfo(&system);
  EXPECT_EQ(ReadAt<ULONG>(basic.Bytes(), 8), system.dwPageSize);
  EXPECT_EQ(ReadAt<ULONG>(basic.Bytes(), 0x18), system.dwAllocationGranularity);

  EXPECT_EQ(QuerySystemInformation(0xFFFF, 0), nullptr) << "an unknown class fails";
}

TEST_F(NativeBufferTest, ProcessThreadAndObjectQueriesAnswerForThisProcess) {
  UniqueNativeBuffer basic(QueryProcessInformation(NtCurrentProcessHandle(), 0, 48));
  ASSERT_TRUE(basic);
  EXPECT_EQ(ReadAt<ULONG_PTR>(basic.Bytes(), 0x20), GetCurrentProcessId());

  UniqueNativeBuffer imageName(QueryProcessInformation(NtCurrentProcessHandle(), 27, 0));
  ASSERT_TRUE(imageName);
  const std::wstring name = UnicodeStringAtStart(imageName.Get());
  EXPECT_NE(name.find(L"test_native.exe"), std::wstring::npos) << name;

  UniqueNativeBuffer thread(QueryThreadBasicInformation(GetCurrentThread()));
  ASSERT_TRUE(thread);
  // THREAD_BASIC_INFORMATION: the client id (process, thread) at 0x10.
  EXPECT_EQ(ReadAt<ULONG_PTR>(thread.Bytes(), 0x10), GetCurrentProcessId());
  EXPECT_EQ(ReadAt<ULONG_PTR>(thread.Bytes(), 0x18), GetCurrentThreadId());

  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, L"HalvernNativeQueryEvent");
  ASSERT_NE(event, nullptr);
  UniqueNativeBuffer type(QueryObjectInformation(event, 2));
  UniqueNativeBuffer objectName(QueryObjectInformation(event, 1));
  UniqueNativeBuffer types(QueryObjectInformation(nullptr, 3));
  CloseHandle(event);
  ASSERT_TRUE(type);
  ASSERT_TRUE(objectName);
  ASSERT_TRUE(types);
  EXPECT_EQ(UnicodeStringAtStart(type.Get()), L"Event");
  const std::wstring objectPath = UnicodeStringAtStart(objectName.Get());
  EXPECT_NE(objectPath.find(L"\\HalvernNativeQueryEvent"), std::wstring::npos) << objectPath;
  EXPECT_GT(ReadAt<ULONG>(types.Bytes(), 0), 0u) << "the number of object types";
}

}  // namespace
